#include "maintenance/widgets/cataloguewindow.h"

#include <QApplication>
#include <QComboBox>
#include <QCoreApplication>
#include <QFrame>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressDialog>
#include <QPushButton>
#include <QRadioButton>

#include "print/units.h"
#include "ui/helppages.h"
#include "ui/widgets/filechooser.h"
#include "ui/widgets/questionbox.h"
#include "ui/widgets/rowgrid.h"

namespace {

constexpr int VisibleRows = 19;
const QColor Disabled(0xE0, 0xE0, 0xE0);

QLabel *caption(const QString &text, QWidget *parent, const QRect &geometry)
{
    auto *label = new QLabel(text, parent);
    label->setGeometry(geometry);
    return label;
}

QLineEdit *box(const QString &name, QWidget *parent, const QRect &geometry)
{
    auto *edit = new QLineEdit(parent);
    edit->setObjectName(name);
    edit->setGeometry(geometry);
    return edit;
}

QComboBox *dropDown(const QString &name, bool editable, QWidget *parent, const QRect &geometry)
{
    auto *combo = new QComboBox(parent);
    combo->setObjectName(name);
    combo->setEditable(editable);
    combo->setInsertPolicy(QComboBox::NoInsert);
    combo->setGeometry(geometry);
    return combo;
}

} // namespace

CatalogueWindow::CatalogueWindow(CatalogueRepository &catalogue, FileChooser &files, QWidget *parent)
    : QWidget(parent)
    , m_catalogue(catalogue)
    , m_files(files)
    , m_transfer(catalogue)
{
    setObjectName(QStringLiteral("Form3"));
    setWindowTitle(QStringLiteral("药物维护"));
    setFixedSize(twipsSize(11625, 8730));

    buildSearchRow();
    m_grid = new RowGrid({{QStringLiteral("药物名称"), 60, 4035},
                          {QStringLiteral("用法用量"), 4200, 2115},
                          {QStringLiteral("单位"), 6420, 435},
                          {QStringLiteral("单价"), 6960, 675},
                          {QStringLiteral("斗位"), 7740, 435},
                          {QStringLiteral("拼音"), 8280, 975},
                          {QStringLiteral("分类"), 9360, 1695},
                          // Blank in every row: the usual dose is part of the name column already.
                          {QStringLiteral("常用量"), 11520, 615}},
                         VisibleRows, 0, this);
    m_grid->setObjectName(QStringLiteral("grid"));
    // Tall enough for the header, all 19 rows and the horizontal scroll bar under them.
    m_grid->setGeometry(twipsRect(120, 540, 11415, 6540));
    connect(m_grid, &RowGrid::rowClicked, this, &CatalogueWindow::xz);
    connect(m_grid, &RowGrid::scrolled, this, [this] {
        m_selectedRow = -1;
        m_delete->setEnabled(false);
    });
    buildEditor();
    buildSymbols();
    buildButtons();

    m_prefix = CatalogueOptions::caption(CatalogueOptions::Western);
    m_options.first()->setChecked(true);
    m_busy = true;
    applyOption(CatalogueOptions::Western);
    m_busy = false;
    search();
}

void CatalogueWindow::buildSearchRow()
{
    caption(QStringLiteral("输入拼音或中文查询"), this, twipsRect(120, 180, 1620, 180));
    m_search = box(QStringLiteral("searchEdit"), this, twipsRect(1860, 120, 2355, 315));
    connect(m_search, &QLineEdit::textChanged, this, &CatalogueWindow::searchTyped);

    // Wide enough for the round mark and the caption in the interface font, up to the drop-down.
    const int lefts[] = {4260, 5265, 6060, 7245};
    const int widths[] = {990, 780, 1170, 780};
    for (const CatalogueOptions::Option option : CatalogueOptions::all()) {
        auto *button = new QRadioButton(CatalogueOptions::caption(option), this);
        button->setObjectName(CatalogueOptions::caption(option));
        button->setGeometry(twipsRect(lefts[option], 180, widths[option], 255));
        connect(button, &QRadioButton::clicked, this, [this, option] { chooseOption(option); });
        m_options.append(button);
    }
    m_filter = dropDown(QStringLiteral("filterCombo"), false, this, twipsRect(8040, 120, 1995, 300));
    connect(m_filter, &QComboBox::activated, this, &CatalogueWindow::filterChosen);
}

void CatalogueWindow::buildEditor()
{
    auto *frame = new QFrame(this);
    frame->setObjectName(QStringLiteral("editorFrame"));
    frame->setFrameShape(QFrame::Box);
    frame->setGeometry(twipsRect(120, 7110, 9675, 1095));

    caption(QStringLiteral("名    称"), frame, twipsRect(120, 285, 800, 240));
    m_name = box(QStringLiteral("nameEdit"), frame, twipsRect(960, 240, 2700, 315));
    m_quantity = box(QStringLiteral("quantityEdit"), frame, twipsRect(3720, 240, 1200, 315));
    caption(QStringLiteral("单位"), frame, twipsRect(5040, 285, 440, 240));
    m_unit = dropDown(QStringLiteral("unitCombo"), true, frame, twipsRect(5520, 255, 795, 300));
    caption(QStringLiteral("单价"), frame, twipsRect(6480, 285, 440, 240));
    m_price = box(QStringLiteral("priceEdit"), frame, twipsRect(6960, 240, 1020, 315));
    caption(QStringLiteral("斗位"), frame, twipsRect(8100, 285, 440, 240));
    m_drawer = box(QStringLiteral("drawerEdit"), frame, twipsRect(8580, 240, 960, 315));
    caption(QStringLiteral("用法用量"), frame, twipsRect(120, 765, 800, 240));
    m_usage = box(QStringLiteral("usageEdit"), frame, twipsRect(960, 720, 3945, 315));
    caption(QStringLiteral("拼音"), frame, twipsRect(5040, 765, 440, 240));
    m_initials = box(QStringLiteral("initialsEdit"), frame, twipsRect(5520, 720, 1425, 315));
    caption(QStringLiteral("分类"), frame, twipsRect(7080, 780, 440, 240));
    m_category = dropDown(QStringLiteral("categoryCombo"), false, frame, twipsRect(7560, 735, 1995, 300));

    m_boxes = {m_name, m_quantity, m_price, m_drawer, m_usage, m_initials};
    for (QLineEdit *edit : std::as_const(m_boxes))
        edit->installEventFilter(this);
    for (QWidget *widget : {static_cast<QWidget *>(m_unit), static_cast<QWidget *>(m_unit->lineEdit()),
                            static_cast<QWidget *>(m_category)})
        widget->installEventFilter(this);

    connect(m_name, &QLineEdit::textChanged, this, &CatalogueWindow::nameChanged);
    connect(m_quantity, &QLineEdit::textChanged, this, [this] {
        amountChanged(m_quantity);
        const QString unit = CatalogueEditorRules::unitIn(m_quantity->text(), CatalogueOptions::units(m_option));
        if (!unit.isEmpty())
            m_unit->setEditText(unit);
    });
    connect(m_price, &QLineEdit::textChanged, this, [this] { amountChanged(m_price); });
    connect(m_unit, &QComboBox::editTextChanged, this, &CatalogueWindow::unitChanged);
}

void CatalogueWindow::buildSymbols()
{
    caption(QStringLiteral("插入常用符号"), this, twipsRect(9840, 7110, 1695, 225))->setObjectName(QStringLiteral("symbolCaption"));
    auto *panel = new QFrame(this);
    panel->setObjectName(QStringLiteral("symbolPanel"));
    panel->setFrameShape(QFrame::Box);
    panel->setGeometry(twipsRect(9840, 7335, 1695, 855));
    const struct {
        QString text;
        int left;
        int top;
        int width;
    } symbols[] = {
        {QStringLiteral("mg"), 120, 60, 330},  {QStringLiteral("g"), 480, 60, 210},  {QStringLiteral("ml"), 720, 60, 270},
        {QStringLiteral("×"), 1020, 60, 270},  {QStringLiteral("粒"), 1320, 60, 270}, {QStringLiteral("片"), 120, 300, 270},
        {QStringLiteral("盒"), 420, 300, 270}, {QStringLiteral("包"), 720, 300, 270}, {QStringLiteral("支"), 1020, 300, 270},
        {QStringLiteral("瓶"), 1320, 300, 270}, {QStringLiteral("2粒 每日3次 口服"), 120, 600, 1500},
    };
    int index = 0;
    for (const auto &symbol : symbols) {
        QLabel *label = caption(symbol.text, panel, twipsRect(symbol.left, symbol.top, symbol.width, 225));
        label->setObjectName(QStringLiteral("symbol_%1").arg(index++));
        label->setCursor(Qt::PointingHandCursor);
        label->setStyleSheet(QStringLiteral("color: #0000c0;"));
        label->installEventFilter(this);
    }
}

void CatalogueWindow::buildButtons()
{
    const struct {
        QString caption;
        int left;
        int width;
        void (CatalogueWindow::*action)();
    } buttons[] = {
        {QStringLiteral("药物维护帮助"), 120, 1575, nullptr},
        {QStringLiteral("查  询"), 1860, 1095, &CatalogueWindow::search},
        {QStringLiteral("添  加"), 3660, 1095, &CatalogueWindow::newEntry},
        {QStringLiteral("保  存"), 4920, 1095, &CatalogueWindow::save},
        {QStringLiteral("删  除"), 6240, 1095, &CatalogueWindow::remove},
        {QStringLiteral("导出到Excel"), 7620, 1215, &CatalogueWindow::exportCategory},
        {QStringLiteral("导  入"), 9060, 1095, &CatalogueWindow::importFile},
        {QStringLiteral("清  空"), 10320, 1095, &CatalogueWindow::clearCategory},
    };
    for (const auto &entry : buttons) {
        auto *button = new QPushButton(entry.caption, this);
        button->setObjectName(QString(entry.caption).remove(QLatin1Char(' ')));
        const bool query = entry.action == &CatalogueWindow::search;
        button->setGeometry(twipsRect(entry.left, 8220, entry.width, query ? 315 : 375));
        if (entry.action)
            connect(button, &QPushButton::clicked, this, entry.action);
        else
            connect(button, &QPushButton::clicked, this, [this] { emit linkRequested(HelpPages::catalogueHelp()); });
        if (entry.action == &CatalogueWindow::newEntry)
            m_add = button;
        if (entry.action == &CatalogueWindow::remove)
            m_delete = button;
    }
    m_delete->setEnabled(false);
}

void CatalogueWindow::applyOption(CatalogueOptions::Option option)
{
    m_option = option;
    const CatalogueOptions::EditableFields editable = CatalogueOptions::editable(option);
    const QString optionCaption = CatalogueOptions::caption(option);

    m_unit->clear();
    m_unit->addItems(CatalogueOptions::units(option));
    m_unit->setEditText(CatalogueOptions::units(option).value(0));

    const QSignalBlocker filterQuiet(m_filter);
    m_category->clear();
    m_filter->clear();
    if (editable.subcategory) {
        m_category->addItems(CatalogueOptions::westernCategories());
        m_filter->addItems(CatalogueOptions::filterItems());
    } else {
        m_category->addItem(optionCaption);
        m_filter->addItem(optionCaption);
    }
    m_category->setCurrentIndex(0);
    m_filter->setCurrentIndex(0);

    const QColor enabledColour = palette().color(QPalette::Window);
    const auto tint = [&](QWidget *widget, bool enabled) {
        widget->setEnabled(enabled);
        QPalette colours = widget->palette();
        for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
            colours.setColor(group, QPalette::Base, enabled ? enabledColour : Disabled);
            colours.setColor(group, QPalette::Button, enabled ? enabledColour : Disabled);
        }
        widget->setPalette(colours);
    };
    tint(m_name, true);
    tint(m_initials, true);
    tint(m_quantity, editable.usualQuantity);
    tint(m_price, editable.price);
    tint(m_drawer, editable.drawer);
    tint(m_usage, editable.usage);
    tint(m_unit, editable.unit);
    tint(m_category, editable.subcategory);
    tint(m_filter, editable.subcategory);
}

void CatalogueWindow::chooseOption(CatalogueOptions::Option option)
{
    m_busy = true;
    applyOption(option);
    m_prefix = CatalogueOptions::prefixOf(m_filter->currentText());
    search();
    newEntry();
    m_busy = false;
}

void CatalogueWindow::filterChosen()
{
    m_prefix = CatalogueOptions::prefixOf(m_filter->currentText());
    search();
}

void CatalogueWindow::search()
{
    m_results = m_catalogue.find(m_prefix, m_search->text());
    // The repository hands out the same shared list for an unchanged category as long as nothing
    // was typed: its grid rows are made once, and clearing the search box shows them at once.
    const bool whole = !m_results.isEmpty() && m_results.constData() == m_wholeList.constData();
    QList<QStringList> rows = whole ? m_wholeRows : QList<QStringList>();
    if (!whole) {
        rows.reserve(m_results.size());
        for (const CatalogueRepository::Entry &entry : std::as_const(m_results)) {
            rows.append({CatalogueEditorRules::displayName(entry), entry.usage, entry.unit, entry.price, entry.drawer,
                         entry.initials, entry.category, QString()});
        }
        if (m_search->text().isEmpty()) {
            m_wholeList = m_results;
            m_wholeRows = rows;
        }
    }
    m_grid->setResults(rows);
    m_selectedRow = -1;
    m_delete->setEnabled(false);
}

void CatalogueWindow::searchTyped()
{
    search();
    emptyEditor();
}

void CatalogueWindow::xz(int row)
{
    m_grid->recolour();
    const int index = m_grid->resultAt(row);
    if (index < 0)
        return;
    // A copy: the boxes' change handlers run while it is read.
    const CatalogueRepository::Entry entry = m_results.at(index);
    // A stored unit is shown as it is; only a unit the user types is checked, so selecting an
    // entry never empties its unit behind the user's back.
    m_busy = true;
    showFields(CatalogueEditorRules::fromEntry(entry, m_option == CatalogueOptions::Usages));
    m_busy = false;
    m_key = entry.key;
    m_grid->setSelectedRow(row);
    m_selectedRow = row;
    m_delete->setEnabled(true);
    m_name->setFocus();
    m_name->end(false);
}

void CatalogueWindow::showFields(const CatalogueEditorRules::Fields &fields)
{
    // Name and 常用量 first: their change rules propose initials and a unit, which the stored
    // values written after them replace.
    m_name->setText(fields.name);
    m_quantity->setText(fields.usualQuantity);
    m_usage->setText(fields.usage);
    m_unit->setEditText(fields.unit);
    m_price->setText(fields.price);
    m_drawer->setText(fields.drawer);
    m_initials->setText(fields.initials);
    if (m_category->findText(fields.category) < 0)
        m_category->addItem(fields.category);
    m_category->setCurrentText(fields.category);
}

CatalogueEditorRules::Fields CatalogueWindow::fields() const
{
    return {m_name->text(),   m_quantity->text(), m_unit->currentText(), m_price->text(),
            m_drawer->text(), m_usage->text(),    m_initials->text(),    m_category->currentText()};
}

void CatalogueWindow::emptyEditor()
{
    for (QLineEdit *edit : std::as_const(m_boxes))
        edit->clear();
    m_key.clear();
}

void CatalogueWindow::newEntry()
{
    emptyEditor();
    m_name->setFocus();
    m_grid->recolour();
    m_grid->setScrollValue(0);
    m_selectedRow = -1;
    m_delete->setEnabled(false);
}

void CatalogueWindow::save()
{
    const CatalogueEditorRules::Fields shown = fields();
    const QString refusal = CatalogueEditorRules::refusal(shown);
    if (!refusal.isEmpty()) {
        tell(refusal);
        return;
    }
    const int offset = m_grid->scrollValue();
    const int selected = m_selectedRow;
    const bool existed = !m_key.isEmpty();
    CatalogueRepository::Entry entry = CatalogueEditorRules::toEntry(shown, m_key);
    const WriteResult saved = existed ? m_catalogue.update(entry) : m_catalogue.add(entry);
    if (!saved.ok) {
        tell(saved.fullText());
        return;
    }
    // From now on the editor stands for the stored row, so saving again updates it.
    m_key = entry.key;
    search();
    if (existed) {
        m_grid->setScrollValue(offset);
        m_grid->setSelectedRow(selected);
        m_selectedRow = selected;
    } else {
        m_grid->setScrollValue(0);
        m_add->setFocus();
    }
}

void CatalogueWindow::remove()
{
    const WriteResult removed = m_catalogue.remove(m_key);
    if (!removed.ok) {
        tell(removed.fullText());
        return;
    }
    newEntry();
    search();
    m_add->setFocus();
}

void CatalogueWindow::nameChanged()
{
    const QString typed = CatalogueEditorRules::typedName(m_name->text());
    if (typed != m_name->text()) {
        const int caret = m_name->cursorPosition();
        const QSignalBlocker quiet(m_name);
        m_name->setText(typed);
        m_name->setCursorPosition(caret);
    }
    m_initials->setText(CatalogueEditorRules::proposedInitials(typed));
}

void CatalogueWindow::amountChanged(QLineEdit *box)
{
    const QString typed = CatalogueEditorRules::typedAmount(box->text());
    if (typed == box->text())
        return;
    const int caret = box->cursorPosition();
    const QSignalBlocker quiet(box);
    box->setText(typed);
    box->setCursorPosition(caret);
}

void CatalogueWindow::unitChanged(const QString &unit)
{
    if (m_busy || m_option != CatalogueOptions::Herbs || CatalogueOptions::isHerbUnit(unit))
        return;
    tell(CatalogueOptions::herbUnitMessage());
    m_unit->setEditText(QString());
}

void CatalogueWindow::restoreCaret(const LeftBox &left)
{
    if (left.selectionStart < 0 || left.selectionLength <= 0) {
        left.box->setCursorPosition(left.caret);
        return;
    }
    // The caret stays at the end of the selection it was at.
    if (left.caret == left.selectionStart)
        left.box->setSelection(left.selectionStart + left.selectionLength, -left.selectionLength);
    else
        left.box->setSelection(left.selectionStart, left.selectionLength);
}

void CatalogueWindow::insertSymbol(const QString &symbol)
{
    if (m_lastBox && m_lastBox->isEnabled())
        m_lastBox->insert(symbol);
}

template<typename Work>
CatalogueTransfer::Result CatalogueWindow::withProgress(const QString &label, Work work)
{
    QProgressDialog dialog(label, QStringLiteral("取消"), 0, 0, this);
    dialog.setWindowTitle(QStringLiteral("提示"));
    // The import holds a transaction open: no other window may write meanwhile.
    dialog.setWindowModality(Qt::ApplicationModal);
    dialog.setMinimumDuration(500);
    dialog.setAutoClose(false);
    dialog.setAutoReset(false);
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    const auto progress = [&dialog](int done, int total) {
        // Updating the dialog lets the window repaint; every hundredth row is often enough.
        if (done == 1 || done % 100 == 0 || done == total) {
            dialog.setMaximum(total);
            dialog.setValue(done);
        }
        return !dialog.wasCanceled();
    };
    const CatalogueTransfer::Result result = work(CatalogueTransfer::Progress(progress));
    QGuiApplication::restoreOverrideCursor();
    return result;
}

void CatalogueWindow::exportCategory()
{
    const QString chosen = m_files.fileToWrite(this, QStringLiteral("另存为"), QStringLiteral("Excel文件 (*.xls)"), QStringLiteral("xls"));
    if (chosen.isEmpty())
        return;
    const QString path = CatalogueTransfer::exportPath(chosen);
    const CatalogueTransfer::Result result = withProgress(QStringLiteral("正在导出药物目录……"), [&](const CatalogueTransfer::Progress &progress) {
        return m_transfer.exportCategory(path, m_prefix, progress);
    });
    if (result.status == CatalogueTransfer::Status::Done)
        tell(QStringLiteral("文件导出成功！"));
    else if (result.status == CatalogueTransfer::Status::Failed)
        tell(result.message);
}

void CatalogueWindow::importFile()
{
    const QString path = m_files.openFileName(this, QStringLiteral("打开"),
                                              QStringLiteral("Microsoft Excel 工作簿(*.xls);;Excel 2007及以上工作簿(*.xlsx)"),
                                              QCoreApplication::applicationDirPath());
    if (path.isEmpty())
        return;
    const CatalogueTransfer::Result result = withProgress(QStringLiteral("正在导入药物目录……"), [&](const CatalogueTransfer::Progress &progress) {
        return m_transfer.importFile(path, QDateTime::currentDateTime(), progress);
    });
    if (result.status == CatalogueTransfer::Status::Failed)
        tell(result.message);
    search();
}

void CatalogueWindow::clearCategory()
{
    if (!QuestionBox::askYesNo(this, QStringLiteral("在进行清空操作前，务必先将药品导出备份，否则不能恢复！"), false,
                               QMessageBox::Warning))
        return;
    const WriteResult cleared = m_catalogue.clear(m_prefix);
    if (!cleared.ok)
        tell(cleared.fullText());
    search();
}

void CatalogueWindow::tell(const QString &message)
{
    QMessageBox::information(this, QStringLiteral("提示"), message);
}

bool CatalogueWindow::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress:
        if (auto *label = qobject_cast<QLabel *>(watched)) {
            insertSymbol(label->text());
            return true;
        }
        break;
    case QEvent::FocusIn:
        if (auto *edit = qobject_cast<QLineEdit *>(watched); edit && m_boxes.contains(edit)) {
            m_lastBox = edit;
            if (m_leftBox.box == edit)
                restoreCaret(m_leftBox);
            else
                edit->end(false);
            m_leftBox = {};
        }
        break;
    case QEvent::FocusOut:
        // Clicking a symbol lets the workspace frame take the focus and hand it back: the box
        // did not gain the focus anew, so it keeps its caret and selection for the symbol.
        if (auto *edit = qobject_cast<QLineEdit *>(watched); edit && m_boxes.contains(edit)) {
            QWidget *next = QApplication::focusWidget();
            m_leftBox = {};
            if (!next || !isAncestorOf(next))
                m_leftBox = {edit, edit->cursorPosition(), edit->selectionStart(), int(edit->selectedText().size())};
        }
        break;
    case QEvent::KeyPress: {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            focusNextChild();
            return true;
        }
        break;
    }
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}
