#include "platform/pixels/NearestColor.h"

#include <algorithm>
#include <cstdlib>

namespace orbisk {

namespace {

// Distance along one axis from v to the nearest and the farthest point of
// [lo, hi].
int NearAxis(int v, int lo, int hi) { return v < lo ? lo - v : (v > hi ? v - hi : 0); }
int FarAxis(int v, int lo, int hi) { return std::max(std::abs(v - lo), std::abs(v - hi)); }

int Squares(int a, int b, int c) { return a * a + b * b + c * c; }

} // namespace

NearestColor::NearestColor(std::span<const RgbQuad> table)
{
    // A repeated entry can never win (ties go to the lower index).
    std::vector<Candidate> distinct;
    for (std::size_t i = 0; i < table.size() && i < 256; ++i) {
        const RgbQuad& q = table[i];
        const bool seen = std::any_of(distinct.begin(), distinct.end(), [&](const Candidate& c) {
            return c.red == q.red && c.green == q.green && c.blue == q.blue;
        });
        if (!seen)
            distinct.push_back({ q.red, q.green, q.blue, uint8_t(i) });
    }

    const int size = 1 << cellShift;
    cellStart_.reserve(std::size_t(cellsPerAxis * cellsPerAxis * cellsPerAxis) + 1);
    for (int cr = 0; cr < cellsPerAxis; ++cr)
        for (int cg = 0; cg < cellsPerAxis; ++cg)
            for (int cb = 0; cb < cellsPerAxis; ++cb) {
                const int rl = cr * size, gl = cg * size, bl = cb * size;
                const int rh = rl + size - 1, gh = gl + size - 1, bh = bl + size - 1;
                int bound = 1 << 30;
                for (const Candidate& c : distinct)
                    bound = std::min(bound, Squares(FarAxis(c.red, rl, rh), FarAxis(c.green, gl, gh),
                                                    FarAxis(c.blue, bl, bh)));
                cellStart_.push_back(uint32_t(candidates_.size()));
                for (const Candidate& c : distinct)
                    if (Squares(NearAxis(c.red, rl, rh), NearAxis(c.green, gl, gh), NearAxis(c.blue, bl, bh)) <= bound)
                        candidates_.push_back(c);
            }
    cellStart_.push_back(uint32_t(candidates_.size()));
}

const NearestColor* NearestColor::ForBits(int bits)
{
    switch (bits) {
    case 1: {
        static const NearestColor matcher(MonochromeColorTable());
        return &matcher;
    }
    case 4: {
        static const NearestColor matcher(VgaColorTable());
        return &matcher;
    }
    case 8: {
        static const NearestColor matcher(HalftoneColorTable());
        return &matcher;
    }
    default:
        return nullptr;
    }
}

} // namespace orbisk
