#pragma once

#include <QComboBox>

#include <string>

namespace orbisk {

// The folder browser's drive list: "/" followed by the mounted volumes, each
// shown by its mount point. DriveChanged tells of a drive the user chose;
// SetDrive moves the selection without it.
class TDriveComboBox : public QComboBox {
    Q_OBJECT

public:
    explicit TDriveComboBox(QWidget* parent = nullptr);

    // The mount point of the selected drive.
    std::string Drive() const;
    // Selects the drive mounted at root, reading the mount table again when
    // it is not listed (it was mounted since).
    void SetDrive(const std::string& root);

signals:
    void DriveChanged();

private:
    void Fill();
    int IndexOf(const std::string& root) const;
};

} // namespace orbisk
