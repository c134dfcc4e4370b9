#pragma once

#include "platform/extract/IconContainer.h"
#include "platform/pixels/IconHandle.h"
#include "platform/pixels/IconImage.h"

#include <cstdint>
#include <functional>
#include <vector>

namespace orbisk {

// Numbers the icons of one opened file: icon n is the n-th group that
// yields an image, so a broken group never hides the icons after it. What is
// learnt about each group is kept, so that asking for n = 0, 1, 2, ... in
// turn decodes one group per call.
class IconNumbering {
public:
    IconNumbering() = default;
    explicit IconNumbering(ContainerPtr container);

    // The group icon n comes from. Decodes only groups not yet known to
    // yield an image, so after the icons have been asked for it reads nothing.
    Result<uint32_t> Group(ByteSource& source, int n);
    // Makes the icon of group g, the group of the icon wanted; false when
    // the group yields none.
    using GroupIcon = std::function<bool(uint32_t g)>;
    // The group icon n comes from, having `make` make its icon; how the icon
    // is made (and kept) is the caller's.
    Result<uint32_t> FindIcon(ByteSource& source, int n, const GroupIcon& make);
    // nullptr when the file holds no groups.
    IconContainer* Container() const { return container_.get(); }

private:
    uint32_t Found(int n, uint32_t g);

    enum class Yield : int8_t { Unknown, Yes, No };
    ContainerPtr container_;
    std::vector<Yield> yields_;
    // The last icon handed out and its group: the next number starts there,
    // so a file of thousands of groups is not walked from the start each time.
    int lastIcon_ = -1;
    uint32_t lastGroup_ = 0;
};

} // namespace orbisk
