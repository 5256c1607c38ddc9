#include <vector>

#include "platform/gdi/resample.h"

namespace platform::gdi {

namespace {

template <int BitCount>
void CopyRow(const uint8_t* from, const int32_t* columns, int64_t count, const uint32_t* palette,
             uint32_t* to) {
    for (int64_t i = 0; i < count; ++i) {
        const int32_t j = columns[i];
        if (j < 0)
            continue;
        if constexpr (BitCount == 8) {
            to[i] = palette[from[j]];
        } else {
            const uint8_t* p = from + static_cast<size_t>(j) * (BitCount / 8);
            to[i] = uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16;
        }
    }
}

} // namespace

void DrawNearest(const Canvas& canvas, const DibSource& source, const StretchAxis& x,
                 const StretchAxis& y) {
    if (x.destLen <= 0 || y.destLen <= 0 || x.srcLen <= 0 || y.srcLen <= 0)
        return;
    thread_local std::vector<int32_t> columns;
    ClippedTarget target(canvas, PixelBox{x.dest, y.dest, x.dest + x.destLen, y.dest + y.destLen});
    const PixelBox& area = target.box();
    if (area.empty())
        return;
    if (columns.size() < static_cast<size_t>(area.width()))
        columns.resize(area.width());
    for (int64_t i = 0; i < area.width(); ++i) {
        const int64_t j = x.nearest(x.unmirrored(area.left + i));
        columns[i] = j >= 0 && j < source.width ? static_cast<int32_t>(j) : -1;
    }
    for (int64_t py = area.top; py < area.bottom; ++py) {
        const int64_t row = y.nearest(y.unmirrored(py));
        if (row < source.topRow() || row >= source.endRow())
            continue;
        const uint8_t* from = source.imageRow(static_cast<int>(row));
        uint32_t* to = target.row(py) + area.left;
        switch (source.bitCount) {
        case 8:
            CopyRow<8>(from, columns.data(), area.width(), source.palette, to);
            break;
        case 24:
            CopyRow<24>(from, columns.data(), area.width(), source.palette, to);
            break;
        default:
            CopyRow<32>(from, columns.data(), area.width(), source.palette, to);
            break;
        }
    }
}

} // namespace platform::gdi
