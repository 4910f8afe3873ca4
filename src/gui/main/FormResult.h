// The result window: the report of a run, one numbered result per dropped file.
#pragma once

#include <QDialog>
#include <QFont>
#include <QStringList>
#include <functional>
#include <optional>

class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace tavelkor {

struct BatchState;

// The families the report's font is chosen from: IPAGothic first when installed, then every
// other installed family that covers Japanese.
QStringList ReportFontCandidates();
// The first family in which every half-width character has one advance and every full-width
// character exactly two, so that names padded by their CP932 byte count line up; measured at
// the window's text size, since fontconfig calls such dual-width fonts proportional.
std::optional<QFont> FindReportFont(const QStringList& families);

// Whether every name of the run takes its CP932 byte count in columns of `font`.
bool NamesFitByteColumns(const BatchState& state, const QFont& font);
// The report for a font without such columns, or for names that do not fit them: a tab after each
// name, and the tab stop (in pixels) at the widest name plus a space, so the ": " still lines up.
struct TabbedReport {
    QString Text;
    qreal TabStop = 0;
};
TabbedReport MakeTabbedReport(const BatchState& state, const QFont& font);

class FormResult : public QDialog {
    Q_OBJECT
public:
    // `hasMarlett` tells whether the Marlett symbol font is installed (the size-grip glyph);
    // the report's font is the first of `fontFamilies` that qualifies (FindReportFont).
    FormResult(const BatchState& state, bool hasMarlett, QWidget* parent = nullptr,
               const QStringList& fontFamilies = ReportFontCandidates());

    QPlainTextEdit* Text1() const { return text1_; }
    QPushButton* ComClose() const { return comClose_; }
    QLabel* Label1() const { return label1_; }

    void done(int result) override;

    // Called with a file when its line is double-clicked (the window then closes): the
    // lyrics written for it, else its source.
    std::function<void(const QString&)> OpenPreview;
    // The file a line of the report stands for; "" for the lines above the files.
    QString FileOfLine(int line) const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    // Places the controls for the window's inner size; a step that would give a negative size
    // is skipped and the others still apply.
    void ArrangeControls();

    QStringList lineFiles_; // per file line of the report, in its order
    QPlainTextEdit* text1_;
    QPushButton* comClose_;
    QLabel* label1_;
};

// True when a font family named "Marlett" is installed.
bool MarlettInstalled();

} // namespace tavelkor
