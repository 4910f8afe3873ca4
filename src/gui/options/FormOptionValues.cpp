// The option dialog's values: each mode's page filled from the settings and stored back into
// them (OK stores only the page of the dialog's mode).
#include "FormOption.h"

#include "../../lyrics/TimeValues.h"
#include "../../modes/ModeTable.h"
#include "../../settings/ExtensionTables.h"
#include "../../settings/Settings.h"
#include "FormOptionChoices.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSignalBlocker>

namespace tavelkor {

namespace {

void Fill(QComboBox* box, const QStringList& items, int selected) {
    box->clear();
    box->addItems(items);
    box->setCurrentIndex(selected);
}

// Chooses the entry `value` (with `prefix`, the entry that starts with it), adding it at the
// end when the list has none.
void ChooseOrAdd(QComboBox* box, const QString& value, bool prefix = false) {
    for (int i = 0; i < box->count(); ++i) {
        if (prefix ? box->itemText(i).startsWith(value) : box->itemText(i) == value) {
            box->setCurrentIndex(i);
            return;
        }
    }
    box->addItem(value);
    box->setCurrentIndex(box->count() - 1);
}

// Stores the ratio only when it is a number above 0 and not above 1.
void StoreRatio(const QLineEdit* box, double& ratio) {
    const std::optional<double> value = ParseNumber(box->text());
    if (value && *value > 0 && *value <= 1)
        ratio = *value;
}

} // namespace

void FormOption::LoadModePage(int mode) {
    if (mode < 0 || mode >= ModeCount)
        return;
    for (int i = 0; i < ModeCount; ++i)
        frm_[i]->setVisible(i == mode && frm_[i]->layout() != nullptr); // 7 and 8 are empty
    setWindowTitle(QStringLiteral(u"モード別オプション") + QStringLiteral("  ") +
                   ModeTable()[mode].Caption);
    const bool lrc = mode == ModeTimeTagToLrc || mode == ModeLrcToTimeTag;
    const bool hasSource = lrc || mode == ModeTimeTagToWordFormats ||
                           (mode != ModeMp3ToTimeTag && mode <= ModeTimeTagToTimeTag);
    const bool hasOutput = lrc || mode == ModeWordFormatsToTimeTag || mode == ModePlace ||
                           (mode != ModeTimeTagToMp3 && mode <= ModeTimeTagToTimeTag);
    for (QWidget* widget : {static_cast<QWidget*>(extOrgLabel_), static_cast<QWidget*>(extOrg_)})
        widget->setVisible(hasSource);
    for (QWidget* widget : {static_cast<QWidget*>(extNewLabel_), static_cast<QWidget*>(extNew_)})
        widget->setVisible(hasOutput);
    Settings& s = settings_;
    switch (mode) {
    case ModeTimeTagToSami:
        Fill(extOrg_, TimeTagExtensions(), s.T2S.ExtOrg);
        Fill(extNew_, SamiExtensions(), s.T2S.ExtNew);
        t2sKaraoke_->setChecked(s.T2S.Karaoke);
        t2sKaraokeFrame_->setVisible(s.T2S.Karaoke);
        for (int i = 0; i < 4; ++i) {
            t2sHtml_[i]->setText(s.T2S.KaraokeHTML[i]);
            t2sHtml_[i]->setCursorPosition(0); // the start of the markup shows, not its end
        }
        t2sBase_->setText(s.T2S.Base);
        t2sBase_->setCursorPosition(0); // the start of the style shows, not its end
        t2sLines_->setCurrentIndex(s.T2S.Lines - 1);
        t2sRuby_->setChecked(s.T2S.Ruby);
        break;
    case ModeSamiToTimeTag:
        Fill(extOrg_, SamiExtensions(), s.S2T.ExtOrg);
        Fill(extNew_, TimeTagExtensions(), s.S2T.ExtNew);
        s2tKaraoke_->setChecked(s.S2T.Karaoke);
        break;
    case ModeTimeTagToDsmp:
        Fill(extOrg_, TimeTagExtensions(), s.T2D.ExtOrg);
        Fill(extNew_, DsmpExtensions(), s.T2D.ExtNew);
        t2dKaraoke_->setChecked(s.T2D.Karaoke);
        alignment_[std::clamp(s.T2D.Alignment, 0, 2)]->setChecked(true);
        t2dLines_->setCurrentIndex(s.T2D.Lines - 1);
        break;
    case ModeDsmpToTimeTag:
        Fill(extOrg_, DsmpExtensions(), s.D2T.ExtOrg);
        Fill(extNew_, TimeTagExtensions(), s.D2T.ExtNew);
        d2tKaraoke_->setChecked(s.D2T.Karaoke);
        break;
    case ModeTimeTagToMp3:
        Fill(extOrg_, TimeTagExtensions(), s.T2M.ExtOrg);
        extNew_->clear();
        t2mId3v2_->setChecked(s.T2M.Id3v2Lyrics);
        t2mLanguage_->setText(s.T2M.Id3v2Language);
        t2mLanguage_->setEnabled(s.T2M.Id3v2Lyrics);
        break;
    case ModeTimeTagToLrc:
        Fill(extOrg_, TimeTagExtensions(), s.T2L.ExtOrg);
        Fill(extNew_, LrcExtensions(), s.T2L.ExtNew);
        t2lWordStamps_->setChecked(s.T2L.WordStamps);
        t2lMillis_->setChecked(s.T2L.Millis);
        t2lIdTags_->setChecked(s.T2L.IdTags);
        t2lEncoding_->setCurrentIndex(
            int(std::find(std::begin(LrcEncodings), std::end(LrcEncodings), s.T2L.Encoding) -
                std::begin(LrcEncodings)));
        break;
    case ModeTimeTagToWordFormats: {
        Fill(extOrg_, TimeTagExtensions(), s.T2X.ExtOrg);
        extNew_->clear();
        const QStringList chosen = s.T2X.Formats.toLower().split(u',');
        for (int i = 0; i < 4; ++i) {
            t2xFormats_[i]->setChecked(
                std::any_of(chosen.begin(), chosen.end(), [&](const QString& w) {
                    return w.trimmed() == CaptionFormatNames()[i];
                }));
        }
        t2xKaraoke_->setCurrentIndex(
            std::max(0, t2xKaraoke_->findText(s.T2X.AssKaraoke.toLower())));
        t2xFont_->setText(s.T2X.AssFont);
        t2xFurigana_->setChecked(s.T2X.AssFurigana);
        t2xVttStyle_->setChecked(s.T2X.VttStyle);
        break;
    }
    case ModePlace:
        extOrg_->clear();
        Fill(extNew_, TimeTagExtensions(), s.Place.ExtNew);
        placeRedo_->setChecked(s.Place.Redo);
        break;
    case ModeWordFormatsToTimeTag:
        extOrg_->clear();
        Fill(extNew_, TimeTagExtensions(), s.X2T.ExtNew);
        x2tKaraoke_->setChecked(s.X2T.Karaoke);
        break;
    case ModeTimeTagToVideo:
        ChooseOrAdd(t2vSize_, QStringLiteral(u"%1×%2").arg(s.T2V.Width).arg(s.T2V.Height));
        ChooseOrAdd(t2vFps_, QString::number(s.T2V.Fps));
        t2vBackground_->setText(s.T2V.Background);
        ChooseOrAdd(t2vColour_, s.T2V.BackgroundColour.toUpper(), true);
        t2vPreset_->setCurrentIndex(std::max(0, t2vPreset_->findText(s.T2V.Preset.toLower())));
        ChooseOrAdd(t2vCrf_, QString::number(s.T2V.Crf));
        t2vAudio_->setCurrentIndex(s.T2V.Audio.compare(u"aac", Qt::CaseInsensitive) == 0);
        break;
    case ModeLrcToTimeTag:
        Fill(extOrg_, LrcExtensions(), s.L2T.ExtOrg);
        Fill(extNew_, TimeTagExtensions(), s.L2T.ExtNew);
        l2tKaraoke_->setChecked(s.L2T.Karaoke);
        break;
    case ModeMp3ToTimeTag:
        extOrg_->clear();
        Fill(extNew_, TimeTagExtensions(), s.M2T.ExtNew);
        m2tDelete_->setChecked(s.M2T.DeleteL3);
        m2tPreferSylt_->setChecked(s.M2T.PreferSylt);
        break;
    case ModeTimeTagToTimeTag: {
        // Shown as stored, even where more than one switch of a group is on.
        const QSignalBlocker blockers[] = {
            QSignalBlocker(t2tKaraokeNormalize_), QSignalBlocker(t2tNormalize_),
            QSignalBlocker(t2tKaraokeNise_),      QSignalBlocker(t2tKaraokeLineTop_),
            QSignalBlocker(t2tCorrectAdd_),       QSignalBlocker(t2tCorrectTrans_)};
        Fill(extOrg_, TimeTagExtensions(), s.T2T.ExtOrg);
        Fill(extNew_, TimeTagExtensions(), s.T2T.ExtNew);
        t2tKaraokeNormalize_->setChecked(s.T2T.KaraokeNormalize);
        t2tmSec_->setChecked(s.T2T.mSec);
        t2tNormalize_->setChecked(s.T2T.Normalize);
        t2tKaraokeNise_->setChecked(s.T2T.KaraokeNise);
        t2tKaraokeLineTop_->setChecked(s.T2T.KaraokeLineTop);
        t2tCorrectAdd_->setChecked(s.T2T.CorrectAdd);
        t2tCorrectTrans_->setChecked(s.T2T.CorrectTrans);
        for (int i = 0; i < 3; ++i)
            t2tRatio_[i]->setText(FormatNumber(s.T2T.TimeRatio[i]));
        t2tName_->setText(s.T2T.Name);
        t2tSilence_->setChecked(s.T2T.SilencemSec);
        artist_[std::clamp(s.T2T.AtArtist, 0, 2)]->setChecked(true);
        break;
    }
    default:
        extOrg_->clear();
        extNew_->clear();
        break;
    }
}

void FormOption::StoreModePage(int mode) {
    Settings& s = settings_;
    switch (mode) {
    case ModeTimeTagToSami:
        s.T2S.ExtOrg = extOrg_->currentIndex();
        s.T2S.ExtNew = extNew_->currentIndex();
        s.T2S.Karaoke = t2sKaraoke_->isChecked();
        for (int i = 0; i < 4; ++i)
            s.T2S.KaraokeHTML[i] = t2sHtml_[i]->text();
        s.T2S.Base = t2sBase_->text().isEmpty() ? DefaultSamiBaseStyle() : t2sBase_->text();
        s.T2S.Lines = t2sLines_->currentIndex() + 1;
        s.T2S.Ruby = t2sRuby_->isChecked();
        break;
    case ModeSamiToTimeTag:
        s.S2T.ExtOrg = extOrg_->currentIndex();
        s.S2T.ExtNew = extNew_->currentIndex();
        s.S2T.Karaoke = s2tKaraoke_->isChecked();
        break;
    case ModeTimeTagToDsmp:
        s.T2D.ExtOrg = extOrg_->currentIndex();
        s.T2D.ExtNew = extNew_->currentIndex();
        s.T2D.Karaoke = t2dKaraoke_->isChecked();
        s.T2D.Alignment = alignment_[0]->isChecked() ? 0 : (alignment_[1]->isChecked() ? 1 : 2);
        s.T2D.Lines = t2dLines_->currentIndex() + 1;
        break;
    case ModeDsmpToTimeTag:
        s.D2T.ExtOrg = extOrg_->currentIndex();
        s.D2T.ExtNew = extNew_->currentIndex();
        s.D2T.Karaoke = d2tKaraoke_->isChecked();
        break;
    case ModeTimeTagToMp3:
        s.T2M.ExtOrg = extOrg_->currentIndex();
        s.T2M.Id3v2Lyrics = t2mId3v2_->isChecked();
        // A code cut short keeps the one stored: the frames need three letters.
        if (t2mLanguage_->hasAcceptableInput())
            s.T2M.Id3v2Language = t2mLanguage_->text().toLower();
        break;
    case ModeTimeTagToLrc:
        s.T2L.ExtOrg = extOrg_->currentIndex();
        s.T2L.ExtNew = extNew_->currentIndex();
        s.T2L.WordStamps = t2lWordStamps_->isChecked();
        s.T2L.Millis = t2lMillis_->isChecked();
        s.T2L.IdTags = t2lIdTags_->isChecked();
        s.T2L.Encoding = LrcEncodings[std::clamp(t2lEncoding_->currentIndex(), 0, 3)];
        break;
    case ModeTimeTagToWordFormats: {
        s.T2X.ExtOrg = extOrg_->currentIndex();
        QStringList chosen;
        for (int i = 0; i < 4; ++i) {
            if (t2xFormats_[i]->isChecked())
                chosen.append(CaptionFormatNames()[i]);
        }
        // OK is refused with no format ticked (the mode needs at least one).
        if (!chosen.isEmpty())
            s.T2X.Formats = chosen.join(u',');
        s.T2X.AssKaraoke = t2xKaraoke_->currentText();
        if (!t2xFont_->text().trimmed().isEmpty())
            s.T2X.AssFont = t2xFont_->text().trimmed();
        s.T2X.AssFurigana = t2xFurigana_->isChecked();
        s.T2X.VttStyle = t2xVttStyle_->isChecked();
        break;
    }
    case ModePlace:
        s.Place.ExtNew = extNew_->currentIndex();
        s.Place.Redo = placeRedo_->isChecked();
        break;
    case ModeWordFormatsToTimeTag:
        s.X2T.ExtNew = extNew_->currentIndex();
        s.X2T.Karaoke = x2tKaraoke_->isChecked();
        break;
    case ModeTimeTagToVideo: {
        const QStringList size = t2vSize_->currentText().split(u'×');
        s.T2V.Width = size.value(0).toInt();
        s.T2V.Height = size.value(1).toInt();
        s.T2V.Fps = t2vFps_->currentText().toInt();
        s.T2V.Background = t2vBackground_->text().trimmed();
        s.T2V.BackgroundColour = t2vColour_->currentText().left(7);
        s.T2V.Preset = t2vPreset_->currentText();
        s.T2V.Crf = t2vCrf_->currentText().toInt();
        s.T2V.Audio = t2vAudio_->currentIndex() == 1 ? QStringLiteral("aac") : QStringLiteral("copy");
        break;
    }
    case ModeLrcToTimeTag:
        s.L2T.ExtOrg = extOrg_->currentIndex();
        s.L2T.ExtNew = extNew_->currentIndex();
        s.L2T.Karaoke = l2tKaraoke_->isChecked();
        break;
    case ModeMp3ToTimeTag:
        s.M2T.ExtNew = extNew_->currentIndex();
        s.M2T.DeleteL3 = m2tDelete_->isChecked();
        s.M2T.PreferSylt = m2tPreferSylt_->isChecked();
        break;
    case ModeTimeTagToTimeTag: {
        s.T2T.ExtOrg = extOrg_->currentIndex();
        s.T2T.ExtNew = extNew_->currentIndex();
        // At most one reshaping switch: the first ticked in this order.
        bool* switches[4] = {&s.T2T.Normalize, &s.T2T.KaraokeNormalize, &s.T2T.KaraokeNise,
                             &s.T2T.KaraokeLineTop};
        QCheckBox* boxes[4] = {t2tNormalize_, t2tKaraokeNormalize_, t2tKaraokeNise_,
                               t2tKaraokeLineTop_};
        bool taken = false;
        for (int i = 0; i < 4; ++i) {
            *switches[i] = !taken && boxes[i]->isChecked();
            taken = taken || *switches[i];
        }
        s.T2T.mSec = t2tmSec_->isChecked();
        s.T2T.CorrectAdd = t2tCorrectAdd_->isChecked();
        s.T2T.CorrectTrans = !s.T2T.CorrectAdd && t2tCorrectTrans_->isChecked();
        for (int i = 0; i < 3; ++i)
            StoreRatio(t2tRatio_[i], s.T2T.TimeRatio[i]);
        s.T2T.Name = t2tName_->text();
        s.T2T.SilencemSec = t2tSilence_->isChecked();
        s.T2T.AtArtist = artist_[0]->isChecked() ? 0 : (artist_[1]->isChecked() ? 1 : 2);
        break;
    }
    default:
        break;
    }
}

} // namespace tavelkor
