// 「ふりがな」: the readings of one line of the timing editor, those the document has and those
// the dictionary proposes, each to keep (ticked), change (its reading is editable) or drop
// (unticked). OK hands the ticked ones back to the editor.
#pragma once

#include "../../lyrics/Ruby.h"
#include "../../timing/KanjiReadings.h"

#include <QDialog>

class QLabel;
class QPushButton;
class QTableWidget;

namespace tavelkor {

class DialogReadings : public QDialog {
    Q_OBJECT
public:
    enum Column { Use, Base, Reading, Origin };

    // `current`: the readings the document gives the line now.
    DialogReadings(const QString& line, const QVector<RubySpan>& current,
                   QWidget* parent = nullptr);

    // The dictionary's proposals: those over characters no row covers yet become rows, ticked;
    // a row the document reads otherwise shows the dictionary's reading beside its origin.
    void AddProposals(const QVector<KanjiReading>& proposals);
    // A note under the table (the dictionary is still reading, or cannot be used).
    void SetNote(const QString& text);

    // The ticked rows with a reading, in the order of the line.
    QVector<RubySpan> Readings() const;

    QTableWidget* Table() const { return table_; }
    QPushButton* OkButton() const { return ok_; }
    QLabel* Note() const { return note_; }

    // OK: a reading still open for typing is taken as it stands.
    void accept() override;

private:
    void AddRow(int from, int length, const QString& reading, const QString& origin);

    QString line_;
    QVector<RubySpan> rows_; // From and Length of each row
    QTableWidget* table_;
    QLabel* note_;
    QPushButton* ok_;
};

} // namespace tavelkor
