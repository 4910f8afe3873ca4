// Where each result line of a report is drawn: the x of its ": " in the text box.
#pragma once

#include <QAbstractTextDocumentLayout>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextLayout>

namespace tavelkor::test {

inline QList<qreal> ColonColumns(const QPlainTextEdit* report) {
    QTextDocument* document = report->document();
    QList<qreal> columns;
    // The count line and the empty line first, then one line per file.
    for (QTextBlock block = document->begin().next().next();
         block.isValid() && !block.text().isEmpty(); block = block.next()) {
        document->documentLayout()->blockBoundingRect(block); // lays the block out
        columns.append(block.layout()->lineAt(0).cursorToX(block.text().indexOf(u':')));
    }
    return columns;
}

} // namespace tavelkor::test
