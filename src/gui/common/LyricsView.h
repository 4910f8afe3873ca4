// The lyrics panel the preview and the timing editor share.
#pragma once

#include "../../preview/KaraokeDisplay.h"
#include "LyricsLayout.h"

#include <QWidget>

namespace tavelkor {

// Paints the rows of the display model in the colours and font of the SAMI style.
class LyricsView : public QWidget {
    Q_OBJECT
public:
    explicit LyricsView(QWidget* parent = nullptr);
    void SetStyle(const DisplayStyle& style);
    // Repaints only when the rows differ from those shown.
    void SetRows(const QVector<DisplayRow>& rows);
    const QVector<DisplayRow>& Rows() const { return rows_; }
    int PaintCount() const { return paints_; }
    // Where the rows are drawn at the view's size.
    LyricsLayout Layout() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QFont StyleFont() const;

    DisplayStyle style_;
    QVector<DisplayRow> rows_;
    int paints_ = 0;
};

} // namespace tavelkor
