#include "config/ConfigForm.h"
#include "text/TextRules.h"

namespace {

std::string trimBlanks(const std::string &text)
{
    return std::string(TextRules::trimBlanks(text));
}

// What a save writes for one number: the record's own value while the box still shows it.
int savedNumber(int edited, int shown, int stored, NumberRange range)
{
    return edited == shown ? stored : range.clamp(edited);
}

} // namespace

ConfigForm ConfigForm::showing(const ConfigSettings &s)
{
    ConfigForm f;
    f.Edt_PW = s.PIC_W;
    f.Edt_PH = s.PIC_H;
    f.Edt_ML = s.PIC_ML;
    f.Edt_MR = s.PIC_MR;
    f.Edt_MT = s.PIC_MT;
    f.Edt_MB = s.PIC_MB;
    f.TB_Quality = s.PIC_Quality;
    f.CB_PN = s.PIC_PageNumber;
    f.CB_Progressive = s.PIC_Progressive;
    f.CB_ShortLastPage = s.PIC_ShortLastPage;
    f.CB_FooterLink = s.PIC_FooterLink;
    f.Edt_Host = s.ACC_SMTPHost;
    f.Edt_Port = s.ACC_SMTPPort;
    f.Edt_User = s.ACC_SMTPUser;
    f.Edt_Pass = s.ACC_SMTPPass;
    f.CKBox_NeedLogin = s.ACC_SMTPNeedLogin;
    f.CBX_Security = s.ACC_SMTPSecurity;
    f.Edt_SizeLimit = s.ACC_MailSizeLimit;
    f.Edt_FromName = s.ACC_FromName;
    f.Edt_FromAdd = s.ACC_FromAdd;
    f.Edt_ReplyName = s.ACC_ReplyName;
    f.Edt_ReplyAdd = s.ACC_ReplyAdd;
    return f.clamped();
}

ConfigForm ConfigForm::clamped() const
{
    ConfigForm f = *this;
    f.Edt_PW = PictureSize.clamp(Edt_PW);
    f.Edt_PH = PictureSize.clamp(Edt_PH);
    f.Edt_ML = SideMargin.clamp(Edt_ML);
    f.Edt_MR = SideMargin.clamp(Edt_MR);
    f.Edt_MT = EdgeMargin.clamp(Edt_MT);
    f.Edt_MB = EdgeMargin.clamp(Edt_MB);
    f.Edt_Port = Port.clamp(Edt_Port);
    f.Edt_SizeLimit = MailSize.clamp(Edt_SizeLimit);
    f.TB_Quality = Quality.clamp(TB_Quality);
    return f;
}

ConfigSettings ConfigForm::appliedTo(const ConfigSettings &record) const
{
    const ConfigForm shown = showing(record);
    ConfigSettings s = record;
    s.PIC_W = savedNumber(Edt_PW, shown.Edt_PW, record.PIC_W, PictureSize);
    s.PIC_H = savedNumber(Edt_PH, shown.Edt_PH, record.PIC_H, PictureSize);
    s.PIC_ML = savedNumber(Edt_ML, shown.Edt_ML, record.PIC_ML, SideMargin);
    s.PIC_MR = savedNumber(Edt_MR, shown.Edt_MR, record.PIC_MR, SideMargin);
    s.PIC_MT = savedNumber(Edt_MT, shown.Edt_MT, record.PIC_MT, EdgeMargin);
    s.PIC_MB = savedNumber(Edt_MB, shown.Edt_MB, record.PIC_MB, EdgeMargin);
    s.PIC_Quality = savedNumber(TB_Quality, shown.TB_Quality, record.PIC_Quality, Quality);
    s.PIC_PageNumber = CB_PN;
    s.PIC_Progressive = CB_Progressive;
    s.PIC_ShortLastPage = CB_ShortLastPage;
    s.PIC_FooterLink = CB_FooterLink;
    s.ACC_FromName = trimBlanks(Edt_FromName);
    s.ACC_FromAdd = trimBlanks(Edt_FromAdd);
    s.ACC_ReplyName = trimBlanks(Edt_ReplyName);
    s.ACC_ReplyAdd = trimBlanks(Edt_ReplyAdd);
    s.ACC_SMTPHost = trimBlanks(Edt_Host);
    s.ACC_SMTPPort = savedNumber(Edt_Port, shown.Edt_Port, record.ACC_SMTPPort, Port);
    s.ACC_SMTPNeedLogin = CKBox_NeedLogin;
    s.ACC_SMTPSecurity = CBX_Security;
    s.ACC_MailSizeLimit = savedNumber(Edt_SizeLimit, shown.Edt_SizeLimit, record.ACC_MailSizeLimit, MailSize);
    s.ACC_SMTPUser = trimBlanks(Edt_User);
    s.ACC_SMTPPass = trimBlanks(Edt_Pass);
    return s;
}

int ConfigForm::pageAfter(int page, int step)
{
    return ((page + step) % PageCount + PageCount) % PageCount;
}

QString ConfigForm::helpPage(int page)
{
    switch (page) {
    case 1: return QStringLiteral("\\help.chm::/html\\Manual_option_smtp.htm");
    case 2: return QStringLiteral("\\help.chm::/html\\Manual_option_myinfo.htm");
    default: return QStringLiteral("\\help.chm::/html\\Manual_option_picset.htm");
    }
}
