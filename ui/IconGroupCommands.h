#pragma once

#include "platform/jobs/BackgroundCall.h"
#include "platform/pixels/IconHandle.h"

#include <QImage>
#include <QObject>
#include <QPoint>
#include <QString>

#include <optional>
#include <string>

class QAction;
class QHelpEvent;
class QMenu;

namespace orbisk {

class TMainFrm;

// What the window offers for an icon's whole group, beside the commands of
// its action list: "Save icon group..." (every size as an icon file, or the
// largest as a PNG image) and "Copy" (the largest image to the clipboard,
// also on Ctrl+C in the grid), both on the grid's current icon and placed
// after a separator at the end of the grid's pop-up menu; "Remove duplicate
// icons", the menu's last item, which keeps the first icon of each distinct
// picture; and the tooltip of a grid cell, which lists the sizes its icon's
// group holds.
//
// The group is read from the icon's file when asked for, never while the
// grid paints or the scan runs through the file, and on a job (see
// BackgroundCall): where the disk answers, the tooltip and the clipboard
// are filled at once; where it does not, the window goes on and they are
// filled if the read ever ends.
class TIconGroupCommands : public QObject {
public:
    // Adds the items to gridMenu and the tooltip and Ctrl+C to the window's
    // grid; owned by the window.
    TIconGroupCommands(TMainFrm& window, QMenu& gridMenu);

    QAction* SaveIconGroup() const { return SaveIconGroup_; }
    QAction* CopyIcon() const { return CopyIcon_; }
    QAction* RemoveDuplicates() const { return RemoveDuplicates_; }

    // The tooltip of the cell (col, row): "16, 32, 48, 256 px", and for an
    // icon of a program or library a second line naming its group's
    // resource ("Resource: 101, language 1033"); empty for a cell without an
    // icon or an icon whose group cannot be read, and while the read of a
    // disk that does not answer has not come back.
    QString CellSizesText(int col, int row);

private:
    struct IconSource {
        std::string path; // the icon's file
        int number = 0; // its place in the file, as ExtractIcon numbers icons
        HICON handle = nullptr; // the image the grid shows, owned by the list
    };
    // The icon the cell at index shows; nullopt past the last icon.
    std::optional<IconSource> IconAt(long long index) const;

    void SaveIconGroupExecute();
    void CopyIconExecute();
    void RemoveDuplicatesExecute();
    void ShowCellTip(const QHelpEvent& help);
    void ShowTip(const QString& text, int col, int row, QPoint globalPos);
    void Remember(const IconSource& icon, QString text);
    void PutOnClipboard(const QImage& image, const std::string& name);

    TMainFrm& Window_;
    QAction* SaveIconGroup_ = nullptr;
    QAction* CopyIcon_ = nullptr;
    QAction* RemoveDuplicates_ = nullptr;
    // The dialog opens on the entry and in the folder of the last save.
    int SaveFilterIndex_ = 1;
    QString SaveDialogFolder_;
    // The last tooltip asked for: the tooltip is asked for again each time
    // the pointer moves within its cell.
    IconSource TipIcon_;
    QString TipText_;
    bool TipKnown_ = false;
    BackgroundCall<QString> TipRead_;
    BackgroundCall<QString> TextRead_;
    BackgroundCall<QImage> CopyRead_;
};

} // namespace orbisk
