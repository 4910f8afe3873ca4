#include "DialogReadings.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>

namespace tavelkor {

DialogReadings::DialogReadings(const QString& line, const QVector<RubySpan>& current,
                               QWidget* parent)
    : QDialog(parent), line_(line), table_(new QTableWidget(0, 4, this)), note_(new QLabel(this)),
      ok_(nullptr) {
    setWindowTitle(QStringLiteral(u"ふりがな"));
    auto* layout = new QVBoxLayout(this);
    auto* text = new QLabel(line, this);
    text->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(text);
    table_->setHorizontalHeaderLabels({QStringLiteral(u"使う"), QStringLiteral(u"漢字"),
                                       QStringLiteral(u"読み"), QStringLiteral(u"出どころ")});
    table_->verticalHeader()->hide();
    // The narrow columns as wide as their contents, the origin taking the rest: the table
    // fits the window without a horizontal scroll bar.
    for (const int column : {Use, Base, Reading})
        table_->horizontalHeader()->setSectionResizeMode(column, QHeaderView::ResizeToContents);
    table_->horizontalHeader()->setSectionResizeMode(Origin, QHeaderView::Stretch);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                            QAbstractItemView::AnyKeyPressed);
    layout->addWidget(table_);
    note_->setWordWrap(true);
    layout->addWidget(note_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    ok_ = buttons->button(QDialogButtonBox::Ok);
    ok_->setText(QStringLiteral("OK"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral(u"キャンセル"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    for (const RubySpan& span : current)
        AddRow(span.From, span.Length, span.Reading, QStringLiteral(u"文書"));
    resize(420, 320);
}

void DialogReadings::AddRow(int from, int length, const QString& reading, const QString& origin) {
    // Rows stay in the order of the line.
    int at = 0;
    while (at < rows_.size() && rows_[at].From < from)
        ++at;
    rows_.insert(at, {from, length, reading, 0});
    table_->insertRow(at);
    auto* use = new QTableWidgetItem;
    use->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable | Qt::ItemIsSelectable);
    use->setCheckState(Qt::Checked);
    table_->setItem(at, Use, use);
    auto* base = new QTableWidgetItem(line_.mid(from, length));
    base->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    table_->setItem(at, Base, base);
    table_->setItem(at, Reading, new QTableWidgetItem(reading));
    auto* source = new QTableWidgetItem(origin);
    source->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    table_->setItem(at, Origin, source);
}

void DialogReadings::AddProposals(const QVector<KanjiReading>& proposals) {
    for (const KanjiReading& proposal : proposals) {
        const bool covered = std::any_of(rows_.begin(), rows_.end(), [&](const RubySpan& row) {
            return proposal.From < row.From + row.Length &&
                   row.From < proposal.From + proposal.Length;
        });
        // Where the document reads a word otherwise, the dictionary's reading is shown beside.
        for (int row = 0; row < rows_.size(); ++row) {
            if (rows_[row].From == proposal.From && rows_[row].Length == proposal.Length &&
                rows_[row].Reading != proposal.Reading)
                table_->item(row, Origin)
                    ->setText(QStringLiteral(u"文書（辞書：") + proposal.Reading + u'）');
        }
        if (!covered)
            AddRow(proposal.From, proposal.Length, proposal.Reading, QStringLiteral(u"辞書"));
    }
}

void DialogReadings::SetNote(const QString& text) { note_->setText(text); }

void DialogReadings::accept() {
    // The table stores what an editor holds when the editor loses the focus, or one turn of
    // the event loop after Return. In a window not active yet (the dictionary answered before
    // the window system activated it) the editor never has the focus, and OK would take the
    // reading the row had before it was typed over.
    for (int row = 0; row < table_->rowCount(); ++row) {
        const QModelIndex at = table_->model()->index(row, Reading);
        if (QWidget* editor = table_->indexWidget(at))
            table_->itemDelegateForIndex(at)->setModelData(editor, table_->model(), at);
    }
    QDialog::accept();
}

QVector<RubySpan> DialogReadings::Readings() const {
    QVector<RubySpan> readings;
    for (int row = 0; row < rows_.size(); ++row) {
        // A comma would end the reading's field of its "@RubyN" line: it becomes a full-width one.
        const QString reading =
            table_->item(row, Reading)->text().trimmed().replace(u',', QChar(u'，'));
        if (table_->item(row, Use)->checkState() == Qt::Checked && !reading.isEmpty())
            readings.append({rows_[row].From, rows_[row].Length, reading, 0});
    }
    return readings;
}

} // namespace tavelkor
