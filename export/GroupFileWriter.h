#pragma once

#include "export/OutputStream.h"
#include "platform/base/Exception.h"
#include "platform/extract/IconGroup.h"

#include <string>

namespace orbisk {

// A group that cannot be written as it stands; the message says why.
class EInvalidGroup : public Exception {
public:
    explicit EInvalidGroup(const std::string& why)
        : Exception(why)
    {
    }
};

// Appends an icon file (a cursor file for a cursor group) that holds every
// image of the group in its order, each byte for byte as stored (a PNG image
// stays PNG). The header and directory are built from the images themselves:
// sizes, depths and hot spots as the images and the group give them, never
// copied from the source's directory. Every image is checked whole
// (CheckStoredImage) before anything is written; throws EInvalidGroup, writing
// nothing, for a bitmap, an empty group or an image that fails the check,
// and EWriteError from the stream.
void WriteGroupStream(OutputStream& stream, const IconGroup& group);

// Writes the group's file as WriteGroupStream does, replacing a file of that
// name; the file is written in full or not at all. Throws EInvalidGroup
// before the file is touched, EFCreateError ("Cannot create file <name>")
// or EWriteError.
void WriteGroupFile(const IconGroup& group, const std::string& fileName);

} // namespace orbisk
