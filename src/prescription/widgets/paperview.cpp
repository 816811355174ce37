#include "prescription/widgets/paperview.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QTextBlock>

#include "data/tables.h"
#include "prescription/patiententry.h"
#include "prescription/prescriptionsheet.h"
#include "prescription/sheetgeometry.h"
#include "print/units.h"
#include "text/linebreaks.h"
#include "ui/widgets/formscale.h"

namespace {

QFont sheetFont(const QString &name, double size, bool bold = false)
{
    QFont f(name);
    f.setPointSizeF(size);
    f.setBold(bold);
    return f;
}

QWidget *lineWidget(QWidget *parent, const QString &name, const QLine &line, int width)
{
    auto *widget = new QWidget(parent);
    widget->setObjectName(name);
    widget->setAutoFillBackground(true);
    widget->setPalette(QPalette(Qt::black));
    const int thickness = qMax(1, width);
    if (line.y1() == line.y2())
        widget->setGeometry(twips(qMin(line.x1(), line.x2())), twips(line.y1()), twips(qAbs(line.x2() - line.x1())), thickness);
    else
        widget->setGeometry(twips(line.x1()), twips(qMin(line.y1(), line.y2())), thickness, twips(qAbs(line.y2() - line.y1())));
    return widget;
}

} // namespace

PaperView::PaperView(PrescriptionSheet &sheet, PatientEntry &entry, QWidget *parent)
    : QWidget(parent)
    , m_sheet(sheet)
    , m_entry(entry)
    , m_organisation(new QLabel(this))
    , m_paperTitle(new QLabel(this))
    , m_kind(new QLabel(this))
    , m_settled(new QLabel(this))
    , m_dosesCaption(new QLabel(this))
    , m_doses(new QLineEdit(this))
    , m_body(new QPlainTextEdit(this))
    , m_patients(new QListWidget(this))
    , m_diagnoses(new QListWidget(this))
    , m_addresses(new QListWidget(this))
{
    setObjectName(QStringLiteral("Picture2"));
    resize(twipsSize(SheetGeometry::PaperWidth, SheetGeometry::PaperHeight));
    setAutoFillBackground(true);
    setPalette(QPalette(Qt::white));

    const auto place = [](QLabel *label, const QString &name, const SheetGeometry::Label &geometry) {
        label->setObjectName(name);
        label->setText(geometry.text);
        label->setFont(sheetFont(geometry.fontName, geometry.fontSize, geometry.bold));
        label->adjustSize();
        label->move(twips(geometry.at.x()), twips(geometry.at.y()));
    };
    place(m_organisation, QStringLiteral("Label2_0"), SheetGeometry::organisationTitle(QString()));
    place(m_dosesCaption, QStringLiteral("Label2_1"), SheetGeometry::dosesCaption());
    place(new QLabel(this), QStringLiteral("Label2_2"), SheetGeometry::rp());
    place(m_paperTitle, QStringLiteral("Label2_3"), SheetGeometry::paperTitle());
    place(m_kind, QStringLiteral("Label2_4"), SheetGeometry::kindLabel(PrescriptionKind::Western));
    const QList<QLine> kindBox = SheetGeometry::kindBox();
    for (int i = 0; i < kindBox.size(); ++i)
        lineWidget(this, QStringLiteral("Line2_%1").arg(i + 1), kindBox.at(i), 2);
    lineWidget(this, QStringLiteral("Line2_0"), SheetGeometry::footerRule(), 1);
    // The settled mark, under the kind box: whoever looks at the sheet sees that it is settled.
    m_settled->setObjectName(QStringLiteral("Label5"));
    m_settled->setFont(sheetFont(QStringLiteral("宋体"), 10.5, true));
    m_settled->setStyleSheet(QStringLiteral("color: #c00000;"));
    m_settled->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_settled->setGeometry(twipsRect(4560, 600, 1440, 300));
    connect(&m_sheet, &PrescriptionSheet::settledMarkChanged, this, &PaperView::showSettledMark);

    m_doses->setObjectName(QStringLiteral("Text6"));
    m_doses->setGeometry(twipsRect(SheetGeometry::dosesBox().x(), SheetGeometry::dosesBox().y(), SheetGeometry::dosesBox().width(),
                                   SheetGeometry::dosesBox().height()));
    m_doses->setFont(sheetFont(QStringLiteral("宋体"), 11.25, true));
    m_doses->setMaxLength(Tables::archive().width(QStringLiteral("剂数")));
    connect(m_doses, &QLineEdit::textEdited, this, [this](const QString &text) { m_sheet.setDoses(text); });
    connect(&m_sheet, &PrescriptionSheet::dosesChanged, this, [this] {
        if (m_doses->text() != m_sheet.doses())
            m_doses->setText(m_sheet.doses());
    });

    m_body->setObjectName(QStringLiteral("R1"));
    m_body->setFont(sheetFont(QStringLiteral("宋体"), 10.5));
    m_body->setFrameShape(QFrame::NoFrame);
    m_body->viewport()->installEventFilter(this);
    // Tab moves on, as in every other box; a tab pasted in is stored as a space, so the printed
    // and the laid-out body keep their columns.
    m_body->setTabChangesFocus(true);
    connect(m_body, &QPlainTextEdit::textChanged, this, [this] {
        if (!m_syncing)
            m_sheet.setBody(LineBreaks::stored(m_body->toPlainText()).replace(QLatin1Char('\t'), QLatin1Char(' ')));
    });
    connect(&m_sheet, &PrescriptionSheet::bodyChanged, this, &PaperView::showBody);
    connect(&m_sheet, &PrescriptionSheet::kindChanged, this, &PaperView::showKind);

    buildFields();
    setReadingOrder();

    const struct
    {
        QListWidget *list;
        const char *name;
        QRect geometry;
    } lists[] = {{m_patients, "List3", QRect(840, 1260, 1275, 1110)},
                 {m_diagnoses, "List4", QRect(840, 1860, 2235, 1110)},
                 {m_addresses, "List5", QRect(1680, 1560, 2595, 1110)}};
    for (const auto &entry : lists) {
        entry.list->setObjectName(QString::fromLatin1(entry.name));
        entry.list->setGeometry(twipsRect(entry.geometry.x(), entry.geometry.y(), entry.geometry.width(), entry.geometry.height()));
        entry.list->hide();
        entry.list->installEventFilter(this);
        QListWidget *list = entry.list;
        connect(list, &QListWidget::itemDoubleClicked, this, [this, list] { pickFrom(list); });
    }
    showKind();
    showBody();
    showSettledMark();
}

void PaperView::showSettledMark()
{
    m_settled->setText(m_sheet.settledMark());
}

void PaperView::buildFields()
{
    const QList<SheetGeometry::HeaderField> &fields = SheetGeometry::headerFields();
    for (int i = 0; i < fields.size(); ++i) {
        const SheetGeometry::HeaderField &geometry = fields.at(i);
        auto *frame = new QWidget(this);
        frame->setObjectName(QStringLiteral("Picture7_%1").arg(i));
        frame->setGeometry(twipsRect(geometry.frame.x(), geometry.frame.y(), geometry.frame.width(), geometry.frame.height()));
        frame->setAutoFillBackground(true);
        frame->setPalette(QPalette(Qt::white));
        auto *caption = new QLabel(geometry.caption, frame);
        caption->setObjectName(QStringLiteral("Label1_%1").arg(i));
        caption->setFont(sheetFont(QStringLiteral("宋体"), 9, true));
        // As tall as its text, so the caption is not cut by the bottom of its 315-twip frame.
        caption->adjustSize();
        caption->move(twips(geometry.captionAt.x()), twips(geometry.captionAt.y()) - 2);
        auto *box = new QLineEdit(frame);
        box->setObjectName(QStringLiteral("Text5_%1").arg(i));
        box->setFrame(false);
        box->setFont(sheetFont(QStringLiteral("宋体"), 9.75));
        box->setGeometry(twips(geometry.box.x()), 1, twips(geometry.box.width()), twips(geometry.frame.height()) - 4);
        // Nothing typed can be refused later: the box holds what its archive column holds.
        const int width = Tables::archive().width(QString::number(i));
        box->setMaxLength(width > 0 ? width : 10);
        box->installEventFilter(this);
        connect(box, &QLineEdit::textEdited, this, [this, i](const QString &text) { m_sheet.setField(i, text); });
        lineWidget(frame, QStringLiteral("Line6_%1").arg(i), geometry.underline, 1);
        frame->setVisible(!geometry.hidden);
        m_frames.append(frame);
        m_fields.append(box);
    }
    connect(&m_sheet, &PrescriptionSheet::fieldChanged, this, &PaperView::fieldChanged);
    for (int i = 0; i < m_fields.size(); ++i)
        showField(i);
}

// Tab and Enter go through the fields as the page reads: the header line by line, the body, then
// the signatures and the fees at the foot.
void PaperView::setReadingOrder()
{
    using Sheet = PrescriptionSheet;
    QList<QWidget *> order;
    for (const int field : {Sheet::Name, Sheet::Sex, Sheet::Age, Sheet::Department, Sheet::Address, Sheet::Date, Sheet::Diagnosis,
                            Sheet::Allergy})
        order.append(m_fields.at(field));
    order << m_body << m_doses;
    for (const int field : {Sheet::Physician, Sheet::Dispenser, Sheet::Checker, Sheet::DrugFee, Sheet::OtherFee, Sheet::Total})
        order.append(m_fields.at(field));
    for (qsizetype i = 1; i < order.size(); ++i)
        setTabOrder(order.at(i - 1), order.at(i));
}

void PaperView::showField(int field)
{
    QLineEdit *box = m_fields.value(field);
    if (!box || box->text() == m_sheet.field(field))
        return;
    const bool atEnd = box->cursorPosition() == box->text().size();
    box->setText(m_sheet.field(field));
    if (atEnd || field == PrescriptionSheet::Sex)
        box->end(false);
}

void PaperView::fieldChanged(int field)
{
    showField(field);
    if (m_sheet.isLoading())
        return;
    if (field == PrescriptionSheet::Name)
        lookUpPatients();
    else if (field == PrescriptionSheet::Diagnosis)
        lookUpDiagnoses(false);
    else if (field == PrescriptionSheet::Address)
        lookUpAddresses(false);
}

void PaperView::setOrganisation(const QString &name)
{
    const SheetGeometry::Label title = SheetGeometry::organisationTitle(name);
    m_organisation->setText(name);
    m_organisation->adjustSize();
    // Centred in the paper as the label shows it on this screen.
    m_organisation->move((width() - m_organisation->width()) / 2, FormScale::pixels(this, title.at.y()));
    m_paperTitle->move((width() - m_paperTitle->width()) / 2, m_paperTitle->y());
}

void PaperView::showKind()
{
    const bool chinese = m_sheet.kind() == PrescriptionKind::Chinese;
    m_kind->setText(SheetGeometry::kindLabel(m_sheet.kind()).text);
    const QRect box = SheetGeometry::bodyBox(m_sheet.bodyPlacement());
    m_body->setGeometry(FormScale::rect(this, box.x(), box.y(), box.width(), box.height()));
    m_dosesCaption->setVisible(chinese);
    m_doses->setVisible(chinese);
    if (m_doses->text() != m_sheet.doses())
        m_doses->setText(m_sheet.doses());
}

void PaperView::showBody()
{
    const QString text = LineBreaks::shown(m_sheet.body());
    if (m_body->toPlainText() == text)
        return;
    m_syncing = true;
    const int caret = m_body->textCursor().position();
    m_body->setPlainText(text);
    QTextCursor cursor = m_body->textCursor();
    cursor.setPosition(qMin(caret, int(text.size())));
    m_body->setTextCursor(cursor);
    m_syncing = false;
}

int PaperView::bodyCaret() const
{
    return LineBreaks::storedPosition(m_body->toPlainText(), m_body->textCursor().position());
}

int PaperView::bodySelectionStart() const
{
    return LineBreaks::storedPosition(m_body->toPlainText(), m_body->textCursor().anchor());
}

void PaperView::setBodyCaret(int position)
{
    QTextCursor cursor = m_body->textCursor();
    cursor.setPosition(qBound(0, LineBreaks::shownPosition(m_sheet.body(), position), int(m_body->toPlainText().size())));
    m_body->setTextCursor(cursor);
}

void PaperView::hidePickLists()
{
    m_patients->hide();
    m_diagnoses->hide();
    m_addresses->hide();
}

void PaperView::showList(QListWidget *list, const QStringList &texts, const QList<qint64> &rowIds)
{
    list->clear();
    list->hide();
    // One line per row: thousands of patients of a common surname lay out without measuring each.
    list->setUniformItemSizes(true);
    for (int i = 0; i < texts.size(); ++i) {
        auto *item = new QListWidgetItem(texts.at(i), list);
        if (i < rowIds.size())
            item->setData(Qt::UserRole, rowIds.at(i));
    }
    if (list->count() > 0) {
        list->show();
        list->raise();
    }
}

void PaperView::lookUpPatients()
{
    const QString name = m_sheet.field(PrescriptionSheet::Name);
    if (name.size() <= 1) {
        m_patients->hide();
        return;
    }
    QStringList texts;
    QList<qint64> rowIds;
    for (const PatientEntry::PatientChoice &choice : m_entry.patientsFor(name)) {
        texts.append(choice.text);
        rowIds.append(choice.rowId);
    }
    showList(m_patients, texts, rowIds);
}

void PaperView::lookUpDiagnoses(bool wholeField)
{
    showList(m_diagnoses, m_entry.diagnosesFor(m_sheet.field(PrescriptionSheet::Diagnosis), wholeField));
}

void PaperView::lookUpAddresses(bool asTyped)
{
    const QString text = m_sheet.field(PrescriptionSheet::Address);
    showList(m_addresses, m_entry.addressesFor(asTyped ? text : text.trimmed()));
}

void PaperView::pickFrom(QListWidget *list)
{
    QListWidgetItem *item = list->currentItem();
    if (!item)
        return;
    if (list == m_patients) {
        m_entry.pickPatient(item->data(Qt::UserRole).toLongLong());
        hidePickLists();
        m_fields[PrescriptionSheet::Diagnosis]->setFocus();
        m_fields[PrescriptionSheet::Diagnosis]->end(false);
        return;
    }
    const int field = list == m_diagnoses ? PrescriptionSheet::Diagnosis : PrescriptionSheet::Address;
    if (list == m_diagnoses)
        m_entry.pickDiagnosis(item->text());
    else
        m_entry.pickAddress(item->text());
    m_fields[field]->setFocus();
    m_fields[field]->end(false);
    list->hide();
}

bool PaperView::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_body->viewport()) {
        if (event->type() == QEvent::MouseButtonPress)
            hidePickLists();
        else if (event->type() == QEvent::MouseButtonDblClick && m_sheet.kind() == PrescriptionKind::Chinese) {
            // The herbs are laid out again and the caret goes where the next herb belongs. The
            // word selection a double-click makes must not follow, or the next pick replaces it.
            emit bodyDoubleClicked();
            return true;
        }
        return false;
    }
    auto *list = qobject_cast<QListWidget *>(watched);
    if (list && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            pickFrom(list);
            return true;
        }
        return false;
    }
    const int field = m_fields.indexOf(qobject_cast<QLineEdit *>(watched));
    if (field < 0)
        return false;
    if (event->type() == QEvent::FocusIn) {
        hidePickLists();
        if (!m_sheet.isLoading()) {
            if (field == PrescriptionSheet::Diagnosis)
                lookUpDiagnoses(true);
            else if (field == PrescriptionSheet::Address)
                lookUpAddresses(true);
        }
    } else if (event->type() == QEvent::MouseButtonPress && field == PrescriptionSheet::Sex) {
        m_sheet.setField(field, m_sheet.field(field) == QStringLiteral("男") ? QStringLiteral("女") : QStringLiteral("男"));
        m_fields[field]->end(false);
    } else if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            if (field == PrescriptionSheet::Allergy)
                emit headerCompleted();
            else
                focusNextChild();
            return true;
        }
        if (key == Qt::Key_Down) {
            QListWidget *target = field == PrescriptionSheet::Name ? m_patients
                : field == PrescriptionSheet::Diagnosis           ? m_diagnoses
                : field == PrescriptionSheet::Address             ? m_addresses
                                                                  : nullptr;
            if (target && target->isVisible() && target->count() > 0) {
                target->setFocus();
                target->setCurrentRow(0);
            }
            return true;
        }
    }
    return false;
}
