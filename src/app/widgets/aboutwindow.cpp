#include "app/widgets/aboutwindow.h"

#include <QFrame>
#include <QLabel>
#include <QPushButton>

#include "print/units.h"
#include "ui/helppages.h"
#include "version.h"

namespace {

QLabel *label(const QString &text, QWidget *parent, const QRect &geometry)
{
    auto *result = new QLabel(text, parent);
    result->setGeometry(geometry);
    result->setStyleSheet(QStringLiteral("color: white;"));
    result->setWordWrap(true);
    return result;
}

} // namespace

AboutWindow::AboutWindow(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("Form10"));
    setWindowTitle(QStringLiteral("关于"));
    setFixedSize(twipsSize(8520, 6585));

    auto *panel = new QFrame(this);
    panel->setObjectName(QStringLiteral("panel"));
    panel->setGeometry(0, 0, width(), twips(5400));
    panel->setAutoFillBackground(true);
    QPalette palette = panel->palette();
    palette.setColor(QPalette::Window, QColor(75, 121, 198));
    panel->setPalette(palette);

    QLabel *title = label(QStringLiteral("Quillon"), panel, twipsRect(480, 360, 4000, 480));
    title->setObjectName(QStringLiteral("titleLabel"));
    QFont titleFont(QStringLiteral("宋体"));
    titleFont.setPointSize(18);
    titleFont.setBold(true);
    title->setFont(titleFont);

    label(QStringLiteral("版本：V") + QStringLiteral(QUILLON_VERSION), panel, twipsRect(480, 960, 4000, 300))->setObjectName(QStringLiteral("versionLabel"));
    label(QStringLiteral("Quillon 是为个体诊所、村卫生室编写的电子处方软件：录入患者，按分类、中文或拼音首字母选药，"
                         "自动划价结算，保存处方档案，打印处方和输液卡；另有药物目录维护与电子表格导入导出、"
                         "个人组套和中药方剂、门诊病历、门诊日志与用药统计。"),
          panel, twipsRect(480, 1500, 7560, 1500))
        ->setObjectName(QStringLiteral("descriptionLabel"));
    label(QStringLiteral("使用中遇到问题，请先查看“操作帮助”；软件的更新说明见“更新说明”。"), panel,
          twipsRect(480, 3150, 7560, 600))
        ->setObjectName(QStringLiteral("contactLabel"));

    auto *address = label(QStringLiteral("<a href=\"%1\" style=\"color:white\">Quillon 主页</a>").arg(HelpPages::homePage().toString()),
                          panel, twipsRect(480, 4200, 7560, 300));
    address->setObjectName(QStringLiteral("addressLabel"));
    address->setTextFormat(Qt::RichText);
    address->setTextInteractionFlags(Qt::LinksAccessibleByMouse);
    connect(address, &QLabel::linkActivated, this, [this](const QString &link) { emit linkRequested(QUrl(link)); });

    const struct {
        QString caption;
        QString name;
        QUrl url;
        int left;
    } buttons[] = {
        {QStringLiteral("操作帮助"), QStringLiteral("helpButton"), HelpPages::operatingHelp(), 480},
        {QStringLiteral("访问作者主页"), QStringLiteral("homeButton"), HelpPages::homePage(), 3060},
        {QStringLiteral("更新说明"), QStringLiteral("notesButton"), HelpPages::releaseNotes(), 5640},
    };
    for (const auto &entry : buttons) {
        auto *button = new QPushButton(entry.caption, this);
        button->setObjectName(entry.name);
        button->setGeometry(twipsRect(entry.left, 5700, 2400, 450));
        const QUrl url = entry.url;
        connect(button, &QPushButton::clicked, this, [this, url] { emit linkRequested(url); });
    }
}
