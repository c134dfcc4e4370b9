#include "widgets/DialogParts.h"

#include <QDialog>
#include <QLabel>

namespace orbisk {

void SetUpFixedDialog(QDialog& dialog, const char* name, const char* title, QSize size)
{
    dialog.setObjectName(QLatin1String(name));
    dialog.setWindowTitle(QString::fromUtf8(title));
    dialog.setFixedSize(size);
}

void UseDesignedFont(QWidget& widget)
{
    QFont font = widget.font();
    font.setPixelSize(11);
    widget.setFont(font);
}

QLabel* AddLabel(QWidget* owner, const char* text, int left, int top, QWidget* buddy)
{
    auto* label = new QLabel(QString::fromUtf8(text), owner);
    label->move(left, top);
    label->adjustSize();
    if (buddy)
        label->setBuddy(buddy);
    return label;
}

} // namespace orbisk
