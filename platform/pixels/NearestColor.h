#pragma once

#include "platform/pixels/ColorTables.h"

#include <cstdint>
#include <span>
#include <vector>

namespace orbisk {

// Finds the entry of a colour table nearest to a colour (squared distance in
// RGB; on a tie the lowest index), as a palette conversion does.
//
// Trying all 256 halftone entries for every pixel is far too slow for a batch
// save, so the RGB cube is cut into cells and each cell keeps only the
// entries that can be nearest to some colour inside it: an entry whose
// closest possible distance to the cell exceeds the best guaranteed distance
// (the smallest farthest-corner distance of any entry) can never win there.
// The answer is the same as trying every entry.
class NearestColor {
public:
    explicit NearestColor(std::span<const RgbQuad> table);

    // Index of the nearest entry for 0x..RRGGBB (the top byte is ignored).
    uint8_t Index(uint32_t rgb) const
    {
        const int r = int((rgb >> 16) & 0xff), g = int((rgb >> 8) & 0xff), b = int(rgb & 0xff);
        const std::size_t cell = std::size_t(((r >> cellShift) << (2 * axisBits)) | ((g >> cellShift) << axisBits)
                                             | (b >> cellShift));
        int best = 1 << 30;
        uint8_t bestIndex = 0;
        for (uint32_t k = cellStart_[cell]; k < cellStart_[cell + 1]; ++k) {
            const Candidate& c = candidates_[k];
            const int dr = r - c.red, dg = g - c.green, db = b - c.blue;
            const int d = dr * dr + dg * dg + db * db;
            if (d < best) {
                best = d;
                bestIndex = c.index;
            }
        }
        return bestIndex;
    }

    // The shared matchers of the 1-, 4- and 8-bit conversions (built once, on
    // first use, safe from any thread); nullptr for other bit counts.
    static const NearestColor* ForBits(int bits);

private:
    static constexpr int axisBits = 4;
    static constexpr int cellShift = 8 - axisBits;
    static constexpr int cellsPerAxis = 1 << axisBits;

    struct Candidate {
        uint8_t red, green, blue, index;
    };

    std::vector<uint32_t> cellStart_; // cells + 1 offsets into candidates_
    std::vector<Candidate> candidates_; // per cell, in table order
};

} // namespace orbisk
