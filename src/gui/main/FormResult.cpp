#include "FormResult.h"

#include "../../app/BatchState.h"
#include "../../app/ResultCodes.h"
#include "../../base/Cp932.h"
#include "../../formats/LyricsFormat.h"
#include "../common/WindowHelpers.h"

#include <QApplication>
#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QTextBlock>
#include <cmath>

namespace tavelkor {

namespace {

// Margin above the text box, between it and the button, and below the button.
constexpr int TextTop = 8;
constexpr int TextLeft = 8;

const QString PreferredReportFamily = QStringLiteral("IPAGothic");

// Characters that take one CP932 byte and characters that take two, as names hold them.
const QString HalfWidthSample = QStringLiteral(
    u" !\"#$%&'()*+,-./"
    u"0123456789:;<=>?@ABCDEFGHIJKLMNOPQRSTUVWXYZ[\\]^_`abcdefghijklmnopqrstuvwxyz{|}~ｱｶﾞ");
const QString FullWidthSample = QStringLiteral(u"あア歌詞漢字ＡＤ＆：　ー");

// True when every half-width sample character has one advance and every full-width one exactly
// twice that advance (to within the 1/64 pixel that glyph advances are kept in).
bool HasByteColumns(const QFont& font) {
    const QFontMetricsF metrics(font);
    const qreal half = metrics.horizontalAdvance(HalfWidthSample.front());
    auto same = [](qreal a, qreal b) { return std::abs(a - b) < 1.0 / 128; };
    if (half <= 0)
        return false;
    for (const QChar c : HalfWidthSample) {
        if (!same(metrics.horizontalAdvance(c), half))
            return false;
    }
    for (const QChar c : FullWidthSample) {
        if (!same(metrics.horizontalAdvance(c), 2 * half))
            return false;
    }
    return true;
}

} // namespace

QStringList ReportFontCandidates() {
    QStringList families = QFontDatabase::families(QFontDatabase::Japanese);
    if (families.removeAll(PreferredReportFamily) > 0)
        families.prepend(PreferredReportFamily);
    return families;
}

std::optional<QFont> FindReportFont(const QStringList& families) {
    // The size of the window's text, made even so that half a full-width advance can be whole.
    int pixels = QFontInfo(QApplication::font()).pixelSize();
    pixels = std::max(12, pixels + pixels % 2);
    for (const QString& family : families) {
        QFont font(family);
        font.setPixelSize(pixels);
        font.setStyleHint(QFont::Monospace);
        if (QFontInfo(font).family() == family && HasByteColumns(font))
            return font;
    }
    return std::nullopt;
}

bool NamesFitByteColumns(const BatchState& state, const QFont& font) {
    // A name with characters outside CP932 (an emoji) or drawn by another font does not take
    // its byte count in columns; the report then lines up by measuring.
    const QFontMetricsF metrics(font);
    const qreal column = metrics.horizontalAdvance(u' ');
    auto fits = [&](const QString& path) {
        const QString name = DisplayNameOf(path);
        return qAbs(metrics.horizontalAdvance(name) - column * Cp932ByteLength(name)) < 0.5;
    };
    for (const ResultRecord& record : state.Results) {
        if (!fits(record.FileName))
            return false;
    }
    return std::all_of(state.RejectedFiles.begin(), state.RejectedFiles.end(), fits);
}

TabbedReport MakeTabbedReport(const BatchState& state, const QFont& font) {
    const QFontMetricsF metrics(font);
    TabbedReport report;
    report.Text = QStringLiteral(u"Ｄ＆Ｄファイル数 : ") + QString::number(state.DropCount) +
                  QStringLiteral("\n\n");
    qreal widest = 0;
    auto addLine = [&](const QString& path, const QString& outcome) {
        const QString name = DisplayNameOf(path);
        widest = std::max(widest, metrics.horizontalAdvance(name));
        report.Text += name + u'\t' + QStringLiteral(": ") + outcome + u'\n';
    };
    for (const ResultRecord& record : state.Results)
        addLine(record.FileName, ResultOutcomeText(record));
    for (const QString& path : state.RejectedFiles)
        addLine(path, ResultCodeText(WrongExtension));
    report.TabStop = widest + metrics.horizontalAdvance(u' ');
    return report;
}

bool MarlettInstalled() { return QFontDatabase::families().contains(QStringLiteral("Marlett")); }

FormResult::FormResult(const BatchState& state, bool hasMarlett, QWidget* parent,
                       const QStringList& fontFamilies)
    : QDialog(parent), text1_(new QPlainTextEdit(this)), comClose_(new QPushButton(this)),
      label1_(new QLabel(this)) {
    setWindowTitle(QStringLiteral(u"処理結果"));
    setModal(true);
    setSizeGripEnabled(false);
    resize(480, 320);

    text1_->setReadOnly(true);
    text1_->setLineWrapMode(QPlainTextEdit::NoWrap);
    text1_->move(TextLeft, TextTop);
    comClose_->setText(QStringLiteral(u"閉じる"));
    comClose_->resize(96, 28);
    connect(comClose_, &QPushButton::clicked, this, &QDialog::accept);
    label1_->setText(QStringLiteral("o"));
    label1_->setFont(QFont(QStringLiteral("Marlett")));
    label1_->resize(16, 16);
    // 1. The size-grip glyph only where its font exists.
    label1_->setVisible(hasMarlett);

    // 2. Centred on the screen.
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->geometry();
        move(area.x() + (area.width() - width()) / 2, area.y() + (area.height() - height()) / 2);
    }
    // 3-6. The report, lines ending as the text box shows them. Names are padded by their CP932
    // byte count where a font makes that a column; otherwise a tab stop measured in pixels
    // lines the ": " up.
    const std::optional<QFont> font = FindReportFont(fontFamilies);
    if (font && NamesFitByteColumns(state, *font)) {
        text1_->setFont(*font);
        QString report = MakeResultReport(state);
        report.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        text1_->setPlainText(report);
    } else {
        const QFont general = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
        const TabbedReport report = MakeTabbedReport(state, general);
        text1_->setFont(general);
        text1_->setTabStopDistance(report.TabStop);
        text1_->setPlainText(report.Text);
    }
    // A line double-clicked opens the preview of its file: the lyrics written for it when
    // they are lyrics (not a song the lyrics went into), else the dropped file.
    for (const ResultRecord& record : state.Results) {
        const bool lyricsOutput = !record.OutputPath.isEmpty() &&
                                  DetectLyricsFormat(record.OutputPath) != LyricsFormat::Unknown;
        lineFiles_.append(lyricsOutput ? record.OutputPath : record.FileName);
    }
    lineFiles_ += state.RejectedFiles;
    text1_->viewport()->installEventFilter(this);
    text1_->setToolTip(QStringLiteral(u"ダブルクリックでプレビュー"));
    // 7. On top of all other windows.
    MakeTopmost(this);
    ArrangeControls();
}

QString FormResult::FileOfLine(int line) const {
    // The count line and an empty line stand above the files.
    return lineFiles_.value(line - 2);
}

bool FormResult::eventFilter(QObject* watched, QEvent* event) {
    if (watched == text1_->viewport() && event->type() == QEvent::MouseButtonDblClick) {
        const auto* click = static_cast<QMouseEvent*>(event);
        const int line = text1_->cursorForPosition(click->position().toPoint()).blockNumber();
        const QString file = FileOfLine(line);
        if (!file.isEmpty() && OpenPreview) {
            OpenPreview(file);
            accept();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void FormResult::ArrangeControls() {
    const int innerWidth = width();
    const int innerHeight = height();
    label1_->move(innerWidth - label1_->width(), innerHeight - label1_->height());
    const int closeLeft = (innerWidth - comClose_->width()) / 2;
    const int closeTop = innerHeight - comClose_->height() - TextTop;
    if (closeLeft >= 0 && closeTop >= 0)
        comClose_->move(closeLeft, closeTop);
    const int textWidth = innerWidth - 2 * TextLeft;
    if (textWidth >= 0)
        text1_->resize(textWidth, text1_->height());
    const int textHeight = innerHeight - 3 * TextTop - comClose_->height();
    if (textHeight >= 0)
        text1_->resize(text1_->width(), textHeight);
}

void FormResult::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    ArrangeControls();
}

void FormResult::done(int result) {
    ClearTopmost(this); // on unloading, the window leaves the always-on-top layer
    QDialog::done(result);
}

void FormResult::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    comClose_->setFocus(); // activation: the focus goes to the close button
}

} // namespace tavelkor
