#include "maintenance/widgets/templatewindow.h"

#include <QCloseEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>

#include "data/tables.h"
#include "data/templatekinds.h"
#include "maintenance/templaterules.h"
#include "print/cjkfonts.h"
#include "print/units.h"
#include "records/medicalrecordtext.h"
#include "text/linebreaks.h"
#include "text/pinyininitials.h"
#include "ui/widgets/closeinframe.h"
#include "ui/widgets/questionbox.h"

namespace {

const QString Title = QStringLiteral("提示");

QLineEdit *lineBox(const QString &name, const QString &column, QWidget *parent, const QRect &geometry)
{
    auto *box = new QLineEdit(parent);
    box->setObjectName(name);
    box->setGeometry(geometry);
    box->setMaxLength(Tables::templates().width(column));
    return box;
}

void label(const QString &caption, QWidget *parent, int left, int top)
{
    auto *text = new QLabel(caption, parent);
    text->move(twips(left), twips(top));
}

} // namespace

TemplateWindow::TemplateWindow(TemplateRepository &templates, QWidget *parent)
    : QWidget(parent)
    , m_templates(templates)
    , m_kind(TemplateKinds::personalSet())
    , m_list(new QListWidget(this))
    , m_name(lineBox(QStringLiteral("名称"), QStringLiteral("名称"), this, twipsRect(3480, 120, 2055, 315)))
    , m_order(lineBox(QStringLiteral("序号"), QStringLiteral("排序"), this, twipsRect(6120, 120, 675, 315)))
    , m_initials(lineBox(QStringLiteral("拼音"), QStringLiteral("拼音"), this, twipsRect(7320, 120, 1395, 315)))
    , m_content(new QPlainTextEdit(this))
    , m_kindFrame(new QGroupBox(m_kind, this))
{
    setObjectName(QStringLiteral("Form4"));
    setWindowTitle(QStringLiteral("个人组套/中药方剂/病历模板维护"));
    setFixedSize(twipsSize(8835, 5205));

    m_list->setObjectName(QStringLiteral("名称列表"));
    m_list->setGeometry(twipsRect(120, 120, 2835, 4380));
    label(QStringLiteral("名称"), this, 3060, 180);
    label(QStringLiteral("序号"), this, 5640, 180);
    label(QStringLiteral("拼音"), this, 6900, 180);

    m_content->setObjectName(QStringLiteral("内容"));
    m_content->setGeometry(twipsRect(3060, 540, 5655, 3975));
    // The herb layout counts a Chinese character as two columns of a Latin one.
    QFont fixed;
    fixed.setFamilies({QStringLiteral("Noto Sans Mono CJK SC"), CjkFonts::song()});
    fixed.setStyleHint(QFont::TypeWriter);
    m_content->setFont(fixed);

    m_kindFrame->setObjectName(QStringLiteral("分类"));
    m_kindFrame->setGeometry(twipsRect(120, 4530, 3915, 615));
    const int optionLefts[] = {120, 1380, 2640};
    for (int i = 0; i < TemplateKinds::all().size(); ++i) {
        const QString kind = TemplateKinds::all().at(i);
        auto *option = new QRadioButton(kind, m_kindFrame);
        option->setObjectName(kind);
        option->setGeometry(twipsRect(optionLefts[i], 240, 1215, 300));
        m_options.insert(kind, option);
        connect(option, &QRadioButton::toggled, this, [this, kind](bool checked) {
            if (checked)
                switchKind(kind);
        });
    }
    m_options.value(m_kind)->setChecked(true);

    const struct {
        QString caption;
        int left;
        void (TemplateWindow::*action)();
    } buttons[] = {
        {QStringLiteral("添  加"), 4620, &TemplateWindow::newTemplate},
        {QStringLiteral("保  存"), 5640, &TemplateWindow::save},
        {QStringLiteral("删  除"), 6660, &TemplateWindow::remove},
    };
    for (const auto &entry : buttons) {
        auto *button = new QPushButton(entry.caption, this);
        button->setObjectName(QString(entry.caption).remove(QLatin1Char(' ')));
        button->setGeometry(twipsRect(entry.left, 4680, 1000, 375));
        connect(button, &QPushButton::clicked, this, entry.action);
    }
    auto *exit = new QPushButton(QStringLiteral("退 出"), this);
    exit->setObjectName(QStringLiteral("退出"));
    exit->setGeometry(twipsRect(7680, 4680, 1000, 375));
    connect(exit, &QPushButton::clicked, this, [this] { closeInFrame(this); });

    connect(m_list, &QListWidget::currentRowChanged, this, &TemplateWindow::selectRow);
    connect(m_name, &QLineEdit::textChanged, this, &TemplateWindow::nameChanged);

    newTemplate();
    reloadList();
}

void TemplateWindow::setKind(const QString &kind)
{
    QRadioButton *option = m_options.value(kind);
    if (!option)
        return;
    {
        const QSignalBlocker blocker(option);
        option->setChecked(true);
    }
    switchKind(kind);
}

void TemplateWindow::openOn(const QString &kind, const QString &content)
{
    setKind(kind);
    if (!content.isEmpty())
        m_content->setPlainText(LineBreaks::shown(content));
    m_name->setFocus();
}

void TemplateWindow::switchKind(const QString &kind)
{
    m_kind = kind;
    m_kindFrame->setTitle(kind);
    reloadList();
    newTemplate();
}

void TemplateWindow::reloadList()
{
    m_shown = m_templates.list(m_kind);
    const QSignalBlocker blocker(m_list);
    m_list->clear();
    for (const TemplateRepository::Template &entry : std::as_const(m_shown))
        m_list->addItem(entry.name);
}

void TemplateWindow::showKeyInList()
{
    const QSignalBlocker blocker(m_list);
    m_list->setCurrentRow(-1);
    for (int row = 0; row < m_shown.size(); ++row) {
        if (m_stored && m_shown.at(row).key == m_key) {
            m_list->setCurrentRow(row);
            break;
        }
    }
}

void TemplateWindow::selectRow(int row)
{
    if (row < 0 || row >= m_shown.size())
        return;
    // The template of that line, read afresh by its key: the list may be older than the table.
    const std::optional<TemplateRepository::Template> entry = m_templates.byKey(m_shown.at(row).key);
    if (!entry) {
        QMessageBox::information(this, Title, QStringLiteral("无法读取“%1”，它可能已被其他电脑删除。名称列表已刷新。").arg(m_shown.at(row).name));
        reloadList();
        showKeyInList();
        return;
    }
    m_loading = true;
    m_key = entry->key;
    m_stored = true;
    m_name->setText(entry->name);
    m_initials->setText(entry->initials);
    m_content->setPlainText(LineBreaks::shown(entry->content));
    m_order->setText(entry->order);
    m_loading = false;
    markClean();
}

void TemplateWindow::newTemplate()
{
    m_name->clear();
    m_content->clear();
    m_initials->clear();
    m_key = m_templates.freshKey();
    m_stored = false;
    m_order->setText(TemplateRules::orderAfter(m_templates.count(m_kind)));
    showKeyInList();
    m_name->setFocus();
    markClean();
}

void TemplateWindow::save()
{
    const QString typed = LineBreaks::stored(m_content->toPlainText());
    const TemplateRules::StoredContent content = TemplateRules::forSaving(m_kind, typed);
    TemplateRepository::Template entry{m_key,
                                       MedicalRecordText::withoutSectionMark(m_name->text()),
                                       content.text,
                                       m_initials->text(),
                                       m_kind,
                                       m_order->text()};
    // A template without a name could not be told apart in any list.
    if (entry.name.trimmed().isEmpty()) {
        QMessageBox::information(this, Title, QStringLiteral("请输入药物名称！"));
        m_name->setFocus();
        return;
    }
    const WriteResult result = m_stored ? m_templates.save(entry) : m_templates.add(entry);
    if (!result.ok) {
        // What was typed stays in the boxes, so the user can try again.
        QMessageBox::warning(this, Title, result.fullText());
        return;
    }
    m_key = entry.key;
    m_stored = true;
    m_loading = true;
    if (m_name->text() != entry.name)
        m_name->setText(entry.name);
    const QString shown = LineBreaks::shown(entry.content);
    if (m_content->toPlainText() != shown)
        m_content->setPlainText(shown);
    QTextCursor caret = m_content->textCursor();
    caret.setPosition(qMin(LineBreaks::shownPosition(entry.content, content.caret), int(shown.size())));
    m_content->setTextCursor(caret);
    m_loading = false;
    reloadList();
    showKeyInList();
    markClean();
}

void TemplateWindow::remove()
{
    if (m_stored) {
        const WriteResult result = m_templates.remove(m_key, m_kind);
        if (!result.ok) {
            QMessageBox::warning(this, Title, result.fullText());
            return;
        }
    }
    newTemplate();
    reloadList();
}

void TemplateWindow::nameChanged(const QString &name)
{
    if (!m_loading)
        m_initials->setText(pinyinInitials(name.trimmed()));
}

TemplateWindow::Snapshot TemplateWindow::current() const
{
    return {m_name->text(), m_initials->text(), m_content->toPlainText(), m_order->text()};
}

void TemplateWindow::markClean()
{
    m_clean = current();
}

bool TemplateWindow::isModified() const
{
    return current() != m_clean;
}

void TemplateWindow::closeEvent(QCloseEvent *event)
{
    if (isModified()) {
        if (!QuestionBox::askYesNo(this, QStringLiteral("模板的修改还没有保存，放弃这些修改吗？"), false)) {
            event->ignore();
            return;
        }
    }
    event->accept();
}
