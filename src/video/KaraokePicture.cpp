#include "KaraokePicture.h"

#include "AssEngine.h"

#include <QColor>
#include <QImageReader>
#include <algorithm>
#include <cstring>

extern "C" {
#include <libavutil/frame.h>
}

namespace tavelkor {

namespace {

// BT.709 in limited range, in 1/256 steps: what players take for a picture of HD size.
inline unsigned char LumaOf(int r, int g, int b) {
    return static_cast<unsigned char>(((47 * r + 157 * g + 16 * b + 128) >> 8) + 16);
}
inline unsigned char BlueDifferenceOf(int r, int g, int b) {
    return static_cast<unsigned char>(((-26 * r - 86 * g + 112 * b + 128) >> 8) + 128);
}
inline unsigned char RedDifferenceOf(int r, int g, int b) {
    return static_cast<unsigned char>(((112 * r - 102 * g - 10 * b + 128) >> 8) + 128);
}

// Converts the RGB32 rows `top` .. `bottom` and columns `left` .. `right` of `image` (even
// bounds) into the planes; each chroma sample is the mean of its 2×2 pixels.
void ToYuv(const QImage& image, int left, int top, int right, int bottom, unsigned char* const y,
           int yStride, unsigned char* const u, unsigned char* const v, int cStride) {
    for (int row = top; row < bottom; row += 2) {
        const auto* upper = reinterpret_cast<const QRgb*>(image.constScanLine(row));
        const auto* lower = reinterpret_cast<const QRgb*>(image.constScanLine(row + 1));
        unsigned char* yUpper = y + row * yStride;
        unsigned char* yLower = yUpper + yStride;
        for (int x = left; x < right; x += 2) {
            const QRgb p[4] = {upper[x], upper[x + 1], lower[x], lower[x + 1]};
            yUpper[x] = LumaOf(qRed(p[0]), qGreen(p[0]), qBlue(p[0]));
            yUpper[x + 1] = LumaOf(qRed(p[1]), qGreen(p[1]), qBlue(p[1]));
            yLower[x] = LumaOf(qRed(p[2]), qGreen(p[2]), qBlue(p[2]));
            yLower[x + 1] = LumaOf(qRed(p[3]), qGreen(p[3]), qBlue(p[3]));
            const int r = (qRed(p[0]) + qRed(p[1]) + qRed(p[2]) + qRed(p[3]) + 2) / 4;
            const int g = (qGreen(p[0]) + qGreen(p[1]) + qGreen(p[2]) + qGreen(p[3]) + 2) / 4;
            const int b = (qBlue(p[0]) + qBlue(p[1]) + qBlue(p[2]) + qBlue(p[3]) + 2) / 4;
            u[(row / 2) * cStride + x / 2] = BlueDifferenceOf(r, g, b);
            v[(row / 2) * cStride + x / 2] = RedDifferenceOf(r, g, b);
        }
    }
}

// Lays one libass bitmap over `image`: its colour (RRGGBBAA, AA the transparency) weighted
// by the bitmap's coverage of each pixel.
void Blend(QImage& image, const ASS_Image& part, int top) {
    const int r = int(part.color >> 24);
    const int g = int((part.color >> 16) & 0xff);
    const int b = int((part.color >> 8) & 0xff);
    const int opacity = 255 - int(part.color & 0xff);
    for (int row = 0; row < part.h; ++row) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(part.dst_y + row - top)) + part.dst_x;
        const unsigned char* coverage = part.bitmap + row * part.stride;
        for (int x = 0; x < part.w; ++x) {
            const int a = (coverage[x] * opacity + 127) / 255;
            if (a == 0)
                continue;
            const QRgb old = line[x];
            line[x] = qRgb(qRed(old) + ((r - qRed(old)) * a + 127) / 255,
                           qGreen(old) + ((g - qGreen(old)) * a + 127) / 255,
                           qBlue(old) + ((b - qBlue(old)) * a + 127) / 255);
        }
    }
}

} // namespace

QImage MakeVideoBackground(int width, int height, const QString& imagePath,
                           const QString& colour, QString& error) {
    if (imagePath.isEmpty()) {
        QImage plain(width, height, QImage::Format_RGB32);
        plain.fill(QColor::fromString(colour).isValid() ? QColor::fromString(colour)
                                                         : QColor(Qt::black));
        return plain;
    }
    QImageReader reader(imagePath);
    reader.setAutoTransform(true);
    const QImage image = reader.read();
    if (image.isNull()) {
        error = QStringLiteral(u"背景の画像を読めません（%1）：").arg(reader.errorString()) +
                imagePath;
        return {};
    }
    const QImage covering = image.scaled(width, height, Qt::KeepAspectRatioByExpanding,
                                         Qt::SmoothTransformation);
    return covering
        .copy((covering.width() - width) / 2, (covering.height() - height) / 2, width, height)
        .convertToFormat(QImage::Format_RGB32);
}

KaraokePicture::KaraokePicture(const QImage& background)
    : background_(background.convertToFormat(QImage::Format_RGB32)) {
    const int width = background_.width() & ~1;
    const int height = background_.height() & ~1;
    const int chroma = (width / 2) * (height / 2);
    backgroundYuv_.resize(size_t(width) * height + 2 * size_t(chroma));
    unsigned char* y = backgroundYuv_.data();
    ToYuv(background_, 0, 0, width, height, y, width, y + width * height,
          y + width * height + chroma, width / 2);
    engine_ = std::make_unique<AssEngine>(width, height);
}

KaraokePicture::~KaraokePicture() {
    if (track_ != nullptr)
        ass_free_track(track_);
}

bool KaraokePicture::Load(const QByteArray& script, QString& error) {
    QByteArray copy = script; // libass reads the text in place
    track_ = ass_read_memory(engine_->Library, copy.data(), size_t(copy.size()), nullptr);
    if (track_ == nullptr || engine_->Renderer == nullptr) {
        error = QStringLiteral(u"libassが歌詞のASSを読めません");
        return false;
    }
    return true;
}

bool KaraokePicture::Render(long long ms) {
    int change = 0;
    images_ = ass_render_frame(engine_->Renderer, track_, ms, &change);
    const bool changed = change != 0 || !rendered_;
    rendered_ = true;
    return changed;
}

void KaraokePicture::Paint(AVFrame* frame) {
    const int width = background_.width() & ~1;
    const int height = background_.height() & ~1;
    const int chroma = (width / 2) * (height / 2);
    const unsigned char* y = backgroundYuv_.data();
    for (int row = 0; row < height; ++row)
        std::memcpy(frame->data[0] + row * frame->linesize[0], y + row * width, size_t(width));
    for (int plane = 1; plane <= 2; ++plane) {
        const unsigned char* source = y + width * height + (plane - 1) * chroma;
        for (int row = 0; row < height / 2; ++row)
            std::memcpy(frame->data[plane] + row * frame->linesize[plane],
                        source + row * (width / 2), size_t(width / 2));
    }
    if (images_ == nullptr)
        return;
    // Only the rows the lyrics touch are drawn anew: from the background, in RGB, then
    // converted over the background's planes.
    int left = width, top = height, right = 0, bottom = 0;
    for (const ASS_Image* part = images_; part != nullptr; part = part->next) {
        if (part->w <= 0 || part->h <= 0)
            continue;
        left = std::min(left, part->dst_x);
        top = std::min(top, part->dst_y);
        right = std::max(right, part->dst_x + part->w);
        bottom = std::max(bottom, part->dst_y + part->h);
    }
    left &= ~1;
    top &= ~1;
    right = std::min(width, (right + 1) & ~1);
    bottom = std::min(height, (bottom + 1) & ~1);
    if (left >= right || top >= bottom)
        return;
    if (scratch_.width() != width || scratch_.height() < bottom - top)
        scratch_ = QImage(width, height, QImage::Format_RGB32);
    for (int row = top; row < bottom; ++row)
        std::memcpy(scratch_.scanLine(row - top), background_.constScanLine(row),
                    size_t(width) * sizeof(QRgb));
    for (const ASS_Image* part = images_; part != nullptr; part = part->next) {
        if (part->w > 0 && part->h > 0)
            Blend(scratch_, *part, top);
    }
    // The scratch rows start at `top`: the planes are handed over from there.
    ToYuv(scratch_, left, 0, right, bottom - top, frame->data[0] + top * frame->linesize[0],
          frame->linesize[0], frame->data[1] + (top / 2) * frame->linesize[1],
          frame->data[2] + (top / 2) * frame->linesize[2], frame->linesize[1]);
}

} // namespace tavelkor
