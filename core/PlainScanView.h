#pragma once

#include "core/ScanView.h"

#include <array>
#include <string>

namespace orbisk {

// A scan view without a window: it keeps the latest texts and the grid's
// counts in plain members, for the command-line tool and for programs that
// drive a scan headless. The client size is whatever the owner sets.
class PlainScanView : public ScanView {
public:
    void SetPanelText(int panel, const std::string& text) override { panels[std::size_t(panel)] = text; }
    void SetCaption(const std::string& text) override { caption = text; }
    int ColCount() const override { return cols; }
    int RowCount() const override { return rows; }
    void SetColCount(int c) override { cols = c; }
    void SetRowCount(int r) override { rows = r; }
    int ClientWidth() const override { return width; }
    int ClientHeight() const override { return height; }
    void Repaint() override { }

    std::array<std::string, 3> panels;
    std::string caption;
    int cols = 1;
    int rows = 1;
    int width = 0;
    int height = 0;
};

} // namespace orbisk
