#include "widgets/DialogParts.h"

#include <QDialog>
#include <QLabel>
#include <QVBoxLayout>

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

QVBoxLayout* BareLayout(QWidget* owner)
{
    auto* layout = new QVBoxLayout(owner);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    return layout;
}

} // namespace orbisk
