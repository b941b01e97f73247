#include "composer/windows/PictureSizeDialog.h"

#include "composer/PictureSize.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

PictureSizeDialog::PictureSizeDialog(const QSize &natural, const QSize &shown, QWidget *parent)
    : QDialog(parent)
    , m_natural(natural)
    , m_percent(new QSpinBox(this))
    , m_width(new QSpinBox(this))
    , m_height(new QSpinBox(this))
    , m_keep(new QCheckBox(QStringLiteral("&Keep aspect ratio"), this))
{
    setWindowTitle(QStringLiteral("Picture Size"));
    setObjectName(QStringLiteral("PictureSizeDialog"));
    m_percent->setRange(1, PictureSize::kMaxPercent);
    m_percent->setSuffix(QStringLiteral(" %"));
    for (QSpinBox *box : {m_width, m_height}) {
        box->setRange(1, PictureSize::kMaxSide);
        box->setSuffix(QStringLiteral(" px"));
    }
    m_keep->setChecked(true);

    auto *form = new QFormLayout;
    form->addRow(QStringLiteral("&Scale:"), m_percent);
    form->addRow(QStringLiteral("&Width:"), m_width);
    form->addRow(QStringLiteral("&Height:"), m_height);
    form->addRow(QString(), m_keep);
    auto *own = new QLabel(QStringLiteral("Original size: %1 x %2 pixels").arg(natural.width()).arg(natural.height()), this);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(own);
    layout->addWidget(buttons);

    fill(shown, true);
    connect(m_percent, &QSpinBox::valueChanged, this, [this](int percent) {
        if (!m_filling)
            fill(PictureSize::scaled(m_natural, percent), false);
    });
    connect(m_width, &QSpinBox::valueChanged, this, [this](int width) {
        if (!m_filling)
            fill(m_keep->isChecked() ? PictureSize::withWidth(m_natural, width) : QSize(width, m_height->value()), true);
    });
    connect(m_height, &QSpinBox::valueChanged, this, [this](int height) {
        if (!m_filling)
            fill(m_keep->isChecked() ? PictureSize::withHeight(m_natural, height) : QSize(m_width->value(), height), true);
    });
    m_width->setFocus();
}

void PictureSizeDialog::fill(const QSize &size, bool percentToo)
{
    m_filling = true;
    m_width->setValue(size.width());
    m_height->setValue(size.height());
    if (percentToo)
        m_percent->setValue(PictureSize::percentOf(m_natural, size));
    m_filling = false;
}

QSize PictureSizeDialog::chosenSize() const
{
    return QSize(m_width->value(), m_height->value());
}
