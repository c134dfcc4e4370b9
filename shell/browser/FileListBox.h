#pragma once

#include <QListWidget>

#include <string>

namespace orbisk {

// The folder browser's file list: the regular files of one folder (every
// name, dot names left out), sorted as file managers sort them, in the grey
// of text that cannot be chosen. It shows what a folder holds; picking a file
// changes nothing.
class TFileListBox : public QListWidget {
    Q_OBJECT

public:
    explicit TFileListBox(QWidget* parent = nullptr);

    // Lists the files of path; a folder that cannot be read lists none.
    void SetDirectory(const std::string& path);

protected:
    void changeEvent(QEvent* event) override;

private:
    void UseGreyText();
};

} // namespace orbisk
