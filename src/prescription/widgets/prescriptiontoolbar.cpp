#include "prescription/widgets/prescriptiontoolbar.h"

#include <QStyle>
#include <QToolButton>

#include "print/units.h"

PrescriptionToolbar::PrescriptionToolbar(QWidget *parent)
    : QWidget(parent)
{
    resize(twipsSize(14930, 795));
    struct Entry
    {
        int action;
        const char16_t *caption;
        QStyle::StandardPixmap icon;
    };
    const Entry order[] = {
        {New, u"新建", QStyle::SP_FileIcon},
        {Renew, u"续开", QStyle::SP_FileDialogNewFolder},
        {Copy, u"复制处方", QStyle::SP_FileDialogDetailedView},
        {Save, u"保存", QStyle::SP_DialogSaveButton},
        {Print, u"打印", QStyle::SP_FileDialogContentsView},
        {Log, u"日志", QStyle::SP_FileDialogListView},
        {Statistics, u"统计", QStyle::SP_FileDialogInfoView},
        {SaveAsTemplate, u"存为组套", QStyle::SP_DirIcon},
        {MedicalRecord, u"门诊病历", QStyle::SP_FileLinkIcon},
        {Help, u"操作帮助", QStyle::SP_DialogHelpButton},
    };
    m_buttons.resize(10);
    int left = 0;
    for (const Entry &entry : order) {
        auto *button = new QToolButton(this);
        button->setObjectName(QStringLiteral("Toolbar_%1").arg(entry.action));
        button->setText(QString::fromUtf16(entry.caption));
        button->setIcon(style()->standardIcon(entry.icon));
        button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
        button->setAutoRaise(true);
        button->setGeometry(twipsRect(left, 0, 1080, 780));
        const int action = entry.action;
        connect(button, &QToolButton::clicked, this, [this, action] { emit triggered(action); });
        m_buttons[entry.action] = button;
        left += 1110;
    }
}
