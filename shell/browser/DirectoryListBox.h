#pragma once

#include <QListWidget>

#include <string>

namespace orbisk {

// The folder browser's folder list: the chain of folders from the root of the
// drive that holds the current folder down to the current folder, each a step
// further in, then the current folder's sub-folders one step further still.
// Double-click or Enter on a row makes its folder the current one. Paths are
// native byte strings; names that are not valid UTF-8 show replacement
// characters but keep their bytes.
class TDirectoryListBox : public QListWidget {
    Q_OBJECT

public:
    explicit TDirectoryListBox(QWidget* parent = nullptr);

    // The current folder, absolute and without a trailing separator ("/" for
    // the root).
    const std::string& Directory() const { return directory_; }
    // The mount point of the drive that holds the current folder.
    const std::string& DriveRoot() const { return root_; }
    // Makes path (absolute) the current folder and lists it again, even when
    // it is the current one already; then DirectoryChanged. A folder that
    // cannot be read shows no sub-folders.
    void SetDirectory(const std::string& path);
    // The folder a row stands for.
    std::string PathAt(int row) const;

signals:
    void DirectoryChanged();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void AddRow(const std::string& path, const QString& text, int level, bool open);
    void OpenRow(int row);

    std::string directory_;
    std::string root_;
};

} // namespace orbisk
