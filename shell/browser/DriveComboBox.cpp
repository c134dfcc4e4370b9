#include "shell/browser/DriveComboBox.h"

#include "platform/namespace/ItemNames.h"
#include "platform/namespace/MountTable.h"

#include <QStyle>

namespace orbisk {

namespace {

QStyle::StandardPixmap DriveImage(DriveType type)
{
    switch (type) {
    case DriveRemovable:
        return QStyle::SP_DriveFDIcon;
    case DriveRemote:
        return QStyle::SP_DriveNetIcon;
    case DriveCdRom:
        return QStyle::SP_DriveCDIcon;
    default:
        return QStyle::SP_DriveHDIcon;
    }
}

} // namespace

TDriveComboBox::TDriveComboBox(QWidget* parent)
    : QComboBox(parent)
{
    Fill();
    connect(this, &QComboBox::activated, this, &TDriveComboBox::DriveChanged);
}

std::string TDriveComboBox::Drive() const { return currentData().toByteArray().toStdString(); }

void TDriveComboBox::SetDrive(const std::string& root)
{
    if (IndexOf(root) < 0)
        Fill();
    setCurrentIndex(IndexOf(root));
}

void TDriveComboBox::Fill()
{
    clear();
    const auto drives = CurrentDrives();
    if (!drives || drives->empty() || drives->front().mountPoint != "/")
        addItem(style()->standardIcon(QStyle::SP_DriveHDIcon), QStringLiteral("/"), QByteArray("/"));
    if (!drives)
        return;
    for (const orbisk::Drive& drive : *drives)
        addItem(style()->standardIcon(DriveImage(drive.type)), DecodeName(drive.mountPoint),
                QByteArray::fromStdString(drive.mountPoint));
}

int TDriveComboBox::IndexOf(const std::string& root) const { return findData(QByteArray::fromStdString(root)); }

} // namespace orbisk
