#include "records/widgets/medicalrecordwindow.h"

#include <QCloseEvent>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QTextEdit>
#include <QVBoxLayout>

#include "data/templatekinds.h"
#include "prescription/prescriptionsheet.h"
#include "prescription/prescriptiondocument.h"
#include "print/cjkfonts.h"
#include "print/units.h"
#include "print/widgets/printservice.h"
#include "records/medicalrecordtext.h"
#include "records/recordheader.h"
#include "settings/clinicsettings.h"
#include "text/linebreaks.h"
#include "text/textboxlines.h"
#include "ui/widgets/refusalmessage.h"
#include "ui/widgets/closeinframe.h"

namespace {

using Section = MedicalRecordForm::Section;

const QString Title = QStringLiteral("提示");

// The printed record writes a section line from 1080 to 6780 twips in 宋体 11.25 pt; a box of that
// font breaks its lines at that width, so the paper shows the lines the screen shows.
constexpr int PrintedTextWidthTwips = 6780 - 1080;
constexpr double SectionFontSize = 11.25;
constexpr int SectionDocumentMargin = 2;

int linesOnScreen(int section)
{
    switch (section) {
    case MedicalRecordForm::PresentIllness:
    case MedicalRecordForm::Examination:
        return MedicalRecordForm::SectionBlockLines;
    case MedicalRecordForm::Treatment:
        return 6;
    default:
        return 1;
    }
}

// Stored texts separate lines by CR LF; a text box by LF alone.

// "主  诉：" as the user names the section in a message: 主诉.
QString sectionName(int section)
{
    QString name = MedicalRecordForm::captions().value(section);
    name.remove(QLatin1Char(' '));
    name.remove(QStringLiteral("："));
    return name;
}

QPushButton *button(const QString &caption, QWidget *parent)
{
    auto *made = new QPushButton(caption, parent);
    made->setObjectName(QString(caption).remove(QLatin1Char(' ')));
    return made;
}

} // namespace

MedicalRecordWindow::MedicalRecordWindow(PrescriptionDocument *prescription, TemplateRepository &templates,
                                         ClinicSettings &settings, QWidget *parent)
    : QWidget(parent)
    , m_prescription(prescription)
    , m_templates(templates)
    , m_settings(settings)
    , m_prompts(PrintPrompts::dialogs(this))
    , m_print(PrintService::systemPrinters(), m_prompts)
{
    setObjectName(QStringLiteral("Form14"));
    setWindowTitle(QStringLiteral("门诊病历"));

    auto *columns = new QHBoxLayout;
    columns->setSpacing(twips(180));
    columns->addWidget(buildSections(), 0, Qt::AlignTop);
    columns->addWidget(buildSideColumn());
    auto *page = new QVBoxLayout(this);
    page->setContentsMargins(twips(120), twips(60), twips(120), twips(120));
    page->setSpacing(twips(90));
    page->addWidget(buildHeader());
    page->addLayout(columns);

    load();
    fillTemplates();
    setFixedSize(sizeHint());
    // The first section is where typing and templates go until another one is entered.
    m_sections.first()->setFocus();
}

MedicalRecordWindow::~MedicalRecordWindow()
{
    // The boxes are destroyed after this; they no longer speak for the prescription's record.
    m_detached = true;
}

QWidget *MedicalRecordWindow::buildHeader()
{
    // The header the printout repeats on every page; shown as a strip so the physician sees whose
    // record it is and from which visit.
    auto *panel = new QFrame(this);
    panel->setObjectName(QStringLiteral("Picture1"));
    panel->setFrameShape(QFrame::StyledPanel);
    for (int i = 0; i < 7; ++i) {
        auto *label = new QLabel(panel);
        label->setObjectName(QStringLiteral("Label2_%1").arg(i));
        m_headerLabels.append(label);
    }
    QFont titleFont(CjkFonts::song());
    titleFont.setPointSize(12);
    titleFont.setBold(true);
    m_headerLabels[0]->setFont(titleFont);
    m_headerLabels[0]->setAlignment(Qt::AlignCenter);
    // A long address is cut at the panel's edge; its tooltip shows all of it.
    m_headerLabels[6]->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);

    // The lines as the paper has them: the visit, the patient, the address.
    auto *patientLine = new QHBoxLayout;
    patientLine->setSpacing(twips(360));
    for (int i = 1; i < 6; ++i)
        patientLine->addWidget(m_headerLabels[i]);
    patientLine->addStretch(1);
    auto *layout = new QVBoxLayout(panel);
    layout->setContentsMargins(twips(120), twips(45), twips(120), twips(45));
    layout->setSpacing(twips(30));
    layout->addWidget(m_headerLabels[0]);
    layout->addLayout(patientLine);
    layout->addWidget(m_headerLabels[6]);
    return panel;
}

QWidget *MedicalRecordWindow::buildSections()
{
    auto *area = new QWidget(this);
    auto *grid = new QGridLayout(area);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setHorizontalSpacing(twips(60));
    grid->setVerticalSpacing(twips(60));

    QFont font(CjkFonts::song());
    font.setPointSizeF(SectionFontSize);
    const int wrapWidth = twips(PrintedTextWidthTwips) + 2 * SectionDocumentMargin;
    for (int i = 0; i < MedicalRecordForm::SectionCount; ++i) {
        auto *caption = new QLabel(MedicalRecordForm::captions().at(i), area);
        caption->setObjectName(QStringLiteral("Label2_%1").arg(7 + i));
        // Level with the first line of its box.
        caption->setContentsMargins(0, twips(75), 0, 0);
        auto *box = new QTextEdit(area);
        box->setObjectName(QStringLiteral("Text2_%1").arg(i));
        box->setAcceptRichText(false);
        box->setTabChangesFocus(true);
        box->setFont(font);
        box->document()->setDocumentMargin(SectionDocumentMargin);
        box->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        const int lines = linesOnScreen(i);
        const bool scrolls = i == MedicalRecordForm::Treatment;
        box->setVerticalScrollBarPolicy(scrolls ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
        if (lines > 1) {
            box->setLineWrapMode(QTextEdit::FixedPixelWidth);
            box->setLineWrapColumnOrWidth(wrapWidth);
        } else {
            // A one-line section scrolls sideways like an entry box; its text prints on one line.
            box->setLineWrapMode(QTextEdit::NoWrap);
        }
        box->ensurePolished();
        const int frame = 2 * box->frameWidth();
        const int scrollBar = scrolls ? box->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, box) : 0;
        box->setFixedSize(wrapWidth + frame + scrollBar,
                          lines * QFontMetrics(font).lineSpacing() + 2 * SectionDocumentMargin + frame + 2);
        box->installEventFilter(this);
        connect(box, &QTextEdit::textChanged, this, &MedicalRecordWindow::writeBack);
        m_sections.append(box);

        grid->addWidget(caption, i, 0, Qt::AlignTop | Qt::AlignLeft);
        grid->addWidget(box, i, 1);
    }
    return area;
}

QWidget *MedicalRecordWindow::buildSideColumn()
{
    auto *column = new QWidget(this);
    column->setFixedWidth(twips(2700));
    auto *layout = new QVBoxLayout(column);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(twips(60));

    m_patient = new QLabel(column);
    m_patient->setObjectName(QStringLiteral("Label24"));
    QFont bold = m_patient->font();
    bold.setBold(true);
    m_patient->setFont(bold);
    layout->addWidget(m_patient);

    auto *searchLine = new QHBoxLayout;
    auto *searchCaption = new QLabel(QStringLiteral("搜索"), column);
    m_search = new QLineEdit(column);
    m_search->setObjectName(QStringLiteral("Text1"));
    m_search->setToolTip(QStringLiteral("输入模板名称的汉字或拼音首字母"));
    searchLine->addWidget(searchCaption);
    searchLine->addWidget(m_search, 1);
    layout->addLayout(searchLine);
    connect(m_search, &QLineEdit::textChanged, this, &MedicalRecordWindow::fillTemplates);

    m_list = new QListWidget(column);
    m_list->setObjectName(QStringLiteral("List1"));
    m_list->setToolTip(QStringLiteral("单击模板，把它插入到当前栏目的光标处"));
    // A list row takes no focus of its own, so the current section keeps its caret and selection.
    m_list->setFocusPolicy(Qt::NoFocus);
    layout->addWidget(m_list, 1);
    connect(m_list, &QListWidget::itemClicked, this, [this](QListWidgetItem *item) { insertTemplate(m_list->row(item)); });

    QPushButton *editTemplates = button(QStringLiteral("编辑病历模板"), column);
    QPushButton *quote = button(QStringLiteral("引用处方"), column);
    QPushButton *print = button(QStringLiteral("打印病历"), column);
    QPushButton *preview = button(QStringLiteral("预览"), column);
    QPushButton *saveButton = button(QStringLiteral("保  存"), column);
    QPushButton *closeButton = button(QStringLiteral("关  闭"), column);
    layout->addWidget(editTemplates);
    layout->addWidget(quote);
    auto *printLine = new QHBoxLayout;
    printLine->addWidget(print, 1);
    printLine->addWidget(preview);
    layout->addLayout(printLine);
    layout->addWidget(saveButton);
    layout->addWidget(closeButton);

    connect(editTemplates, &QPushButton::clicked, this, [this] {
        closeInFrame(this);
        emit editTemplatesRequested();
    });
    connect(quote, &QPushButton::clicked, this, &MedicalRecordWindow::quotePrescription);
    connect(print, &QPushButton::clicked, this, [this] { printRecord(); });
    connect(preview, &QPushButton::clicked, this, [this] { printRecord(true); });
    connect(saveButton, &QPushButton::clicked, this, &MedicalRecordWindow::save);
    connect(closeButton, &QPushButton::clicked, this, [this] { closeInFrame(this); });
    return column;
}

PrescriptionSheet *MedicalRecordWindow::sheet() const
{
    return m_prescription ? &m_prescription->sheet() : nullptr;
}

void MedicalRecordWindow::load()
{
    m_detached = true;
    const PrescriptionSheet empty;
    const PrescriptionSheet &source = sheet() ? *sheet() : empty;

    // The header is taken once: later edits of the prescription's fields show when it opens again.
    m_header = RecordHeader::of(source, m_settings.value(Setting::OrganisationName));
    const QStringList headerTexts = {m_header.title, m_header.visitTime, m_header.name, m_header.sex,
                                     m_header.age, m_header.department, m_header.address};
    for (int i = 0; i < headerTexts.size(); ++i)
        m_headerLabels[i]->setText(headerTexts.at(i));
    m_headerLabels[6]->setToolTip(m_header.address);
    m_patient->setText(source.field(PrescriptionSheet::Name));

    const QString record = source.medicalRecord();
    m_derivedRecord.clear();
    if (record.isEmpty()) {
        for (QTextEdit *box : std::as_const(m_sections))
            box->clear();
        m_sections[MedicalRecordForm::Diagnosis]->setPlainText(source.field(PrescriptionSheet::Diagnosis));
        m_derivedRecord = MedicalRecordText::join(sections());
    } else {
        // A record with fewer sections fills those it has; the others stay empty.
        const QStringList parts = MedicalRecordText::split(record);
        for (int i = 0; i < parts.size(); ++i)
            m_sections[i]->setPlainText(LineBreaks::shown(parts.at(i)));
    }
    // Typing, templates and quoted lines continue a section rather than go before its text.
    for (QTextEdit *box : std::as_const(m_sections))
        box->moveCursor(QTextCursor::End);

    m_detached = !sheet();
    writeBack();
}

QStringList MedicalRecordWindow::sections() const
{
    QStringList texts;
    for (const QTextEdit *box : m_sections)
        texts.append(LineBreaks::stored(box->toPlainText()));
    return texts;
}

void MedicalRecordWindow::writeBack()
{
    if (m_detached)
        return;
    PrescriptionSheet *target = sheet();
    if (!target)
        return;
    const QString record = MedicalRecordText::join(sections());
    if (target->medicalRecord().isEmpty() && record == m_derivedRecord)
        return;
    target->setMedicalRecord(record);
}

void MedicalRecordWindow::fillTemplates()
{
    m_list->clear();
    m_shownTemplates = m_templates.find(TemplateKinds::recordPhrase(), m_search->text());
    for (const TemplateRepository::Template &entry : std::as_const(m_shownTemplates))
        m_list->addItem(entry.name);
}

void MedicalRecordWindow::insertTemplate(int row)
{
    if (row < 0 || row >= m_shownTemplates.size())
        return;
    const TemplateRepository::Template &shown = m_shownTemplates.at(row);
    // The template as stored now, should it have been edited since the list was filled.
    const std::optional<TemplateRepository::Template> current = m_templates.byKey(shown.key);
    insertIntoSection(m_current, current ? current->content : shown.content);
}

void MedicalRecordWindow::insertIntoSection(int section, const QString &storedText)
{
    QTextEdit *box = m_sections.value(section);
    if (!box)
        return;
    QTextCursor cursor = box->textCursor();
    cursor.insertText(LineBreaks::shown(storedText));
    box->setTextCursor(cursor);
    box->setFocus();
    m_current = section;
}

void MedicalRecordWindow::quotePrescription()
{
    if (!m_prescription)
        return;
    QString quoted;
    for (const QString &line : m_prescription->bodyDisplayLines()) {
        if (!line.trimmed().isEmpty())
            quoted += QStringLiteral("\r\n") + line;
    }
    if (!quoted.isEmpty())
        insertIntoSection(MedicalRecordForm::Treatment, quoted);
}

bool MedicalRecordWindow::save()
{
    PrescriptionSheet *target = sheet();
    if (!target) {
        QMessageBox::information(this, Title, QStringLiteral("处方录入窗口没有打开，病历无法保存。"));
        return false;
    }
    target->setMedicalRecord(MedicalRecordText::join(sections()));
    const PrescriptionSaver::Result result = m_prescription->save();
    if (result.saved())
        return true;
    showRefusal(this, result.message(), result.isNotice());
    return false;
}

void MedicalRecordWindow::setPrinting(const PrinterSelection &printers, const PrintPrompts &prompts)
{
    m_prompts = prompts;
    m_print = PrintService(printers, prompts);
}

MedicalRecordForm MedicalRecordWindow::form() const
{
    const PrescriptionSheet *source = sheet();
    MedicalRecordForm record(sections(), m_header, source ? source->field(PrescriptionSheet::Physician) : QString(),
                             m_settings.recordMargins());
    for (int i = 0; i < MedicalRecordForm::SectionCount; ++i)
        record.setDisplayLines(Section(i), TextBoxLines(m_sections.at(i)->document()).lines());
    return record;
}

void MedicalRecordWindow::printRecord(bool preview)
{
    const MedicalRecordForm record = form();
    const PrintJob job = record.printJob(m_settings.value(Setting::RecordPrinter));
    if (preview) {
        m_print.preview(job, this);
        return;
    }
    const QList<Section> overfull = record.overfullSections();
    if (!overfull.isEmpty()) {
        QStringList names;
        for (const Section section : overfull)
            names.append(sectionName(section));
        const QString question = QStringLiteral("以下栏目的内容超出了病历纸上的打印行，超出的部分不会打印：\n%1\n\n仍要打印吗？")
                                     .arg(names.join(QStringLiteral("、")));
        if (!m_prompts.confirm(question))
            return;
    }
    m_print.print(job);
}

void MedicalRecordWindow::closeEvent(QCloseEvent *event)
{
    writeBack();
    m_detached = true;
    QWidget::closeEvent(event);
}

bool MedicalRecordWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::FocusIn) {
        const int section = int(m_sections.indexOf(qobject_cast<QTextEdit *>(watched)));
        if (section >= 0)
            m_current = section;
    }
    return QWidget::eventFilter(watched, event);
}
