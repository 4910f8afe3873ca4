// The picture of a karaoke video frame: the background with the lyrics of an ASS script drawn
// over it by libass, in the YUV 4:2:0 planes (BT.709, limited range) the H.264 encoder takes.
#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>
#include <vector>

#include <memory>

extern "C" {
struct ass_track;
struct ass_image;
struct AVFrame;
}

namespace tavelkor {

// The picture under the lyrics, `width`×`height`: the image at `imagePath` scaled to cover the
// frame (its middle kept, the overflow cut off), or with an empty path the colour "#RRGGBB".
// A null image with `error` set when the image cannot be read.
QImage MakeVideoBackground(int width, int height, const QString& imagePath,
                           const QString& colour, QString& error);

class KaraokePicture {
public:
    // `background` is the frame's size (MakeVideoBackground).
    explicit KaraokePicture(const QImage& background);
    ~KaraokePicture();
    KaraokePicture(const KaraokePicture&) = delete;
    KaraokePicture& operator=(const KaraokePicture&) = delete;

    // Reads the script (UTF-8). False with `error` set when libass cannot read it.
    bool Load(const QByteArray& script, QString& error);
    // Lays out the lyrics at `ms`. False when they look exactly as at the previous call (libass
    // finds no change): the previous frame's picture is then this frame's too.
    bool Render(long long ms);
    // Writes the background with the lyrics last laid out into the frame's planes (yuv420p of
    // the background's size).
    void Paint(AVFrame* frame);

private:
    QImage background_;
    std::vector<unsigned char> backgroundYuv_; // Y, then U, then V of the background
    QImage scratch_;                           // the rows under the lyrics, drawn in RGB
    std::unique_ptr<struct AssEngine> engine_;
    ass_track* track_ = nullptr;
    ass_image* images_ = nullptr;
    bool rendered_ = false;
};

} // namespace tavelkor
