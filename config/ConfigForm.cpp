#include "ConfigForm.h"

#include "ConfigSettings.h"

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
    f.TB_Quality = Quality.clamp(TB_Quality);
    return f;
}

QString ConfigForm::helpPage(int page)
{
    switch (page) {
    case 1: return QStringLiteral("\\help.chm::/html\\Manual_option_smtp.htm");
    case 2: return QStringLiteral("\\help.chm::/html\\Manual_option_myinfo.htm");
    default: return QStringLiteral("\\help.chm::/html\\Manual_option_picset.htm");
    }
}
