#pragma once

#include "export/OutputStream.h"
#include "platform/base/Exception.h"
#include "platform/pixels/IconHandle.h"

#include <string>

class QPainter;

namespace orbisk {

// An icon that cannot be written: no handle, or an image that cannot be
// read.
class EInvalidGraphic : public Exception {
public:
    EInvalidGraphic()
        : Exception("Bitmap image is not valid")
    {
    }
};

// One icon handle held on loan, with the operations that draw and write it.
// The handle stays owned by whoever lent it (an entry of the icon list): this
// object never destroys it. Make one over the handle where it is needed,
//     const TafIcon icon(entry.Handle);
// and the loan ends with its scope. Use it from one thread at a time.
class TafIcon {
public:
    TafIcon() = default;
    explicit TafIcon(HICON lent)
        : handle_(lent)
    {
    }
    TafIcon(const TafIcon&) = delete;
    TafIcon& operator=(const TafIcon&) = delete;

    // Attaches a handle; no copy is made. A handle attached before is let go
    // of, not destroyed.
    void SetHandle(HICON handle) { handle_ = handle; }
    // Detaches the handle and returns it, undestroyed; the object is empty.
    HICON ReleaseHandle()
    {
        HICON h = handle_;
        handle_ = nullptr;
        return h;
    }
    HICON Handle() const { return handle_; }
    bool Empty() const { return handle_ == nullptr; }

    // The large-icon size whatever the icon's own size; 0 when empty.
    int Width() const;
    int Height() const;

    // Draws the icon with its own size at (x, y); transparent pixels show
    // what lies beneath. An empty object draws nothing.
    void Draw(QPainter& painter, int x, int y) const;

    // Writes the icon that `icon` holds as an icon file of one image, its
    // colour image at the depth of colorCount (see ColorCountBits), replacing
    // a file of that name (see AtomicFileStream). Throws EFCreateError
    // ("Cannot create file <fileName>"), EInvalidGraphic or EWriteError.
    static void WriteIconFile(const TafIcon& icon, const std::string& fileName, int32_t colorCount);

    // Appends the icon file bytes for `icon` at the depth of colorCount.
    // Throws EInvalidGraphic for nullptr, writing nothing; EWriteError from
    // the stream.
    static void WriteIconStream(OutputStream& stream, HICON icon, int32_t colorCount);

private:
    HICON handle_ = nullptr;
};

} // namespace orbisk
