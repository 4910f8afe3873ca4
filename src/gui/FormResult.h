// The result window: the report of a run, one numbered result per dropped file.
#pragma once

#include <QDialog>

class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace tavelkor {

struct BatchState;

class FormResult : public QDialog {
    Q_OBJECT
public:
    // `hasMarlett` tells whether the Marlett symbol font is installed (the size-grip glyph).
    FormResult(const BatchState& state, bool hasMarlett, QWidget* parent = nullptr);

    QPlainTextEdit* Text1() const { return text1_; }
    QPushButton* ComClose() const { return comClose_; }
    QLabel* Label1() const { return label1_; }

    void done(int result) override;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    // Places the controls for the window's inner size; a step that would give a negative size
    // is skipped and the others still apply.
    void ArrangeControls();

    QPlainTextEdit* text1_;
    QPushButton* comClose_;
    QLabel* label1_;
};

// True when a font family named "Marlett" is installed.
bool MarlettInstalled();

} // namespace tavelkor
