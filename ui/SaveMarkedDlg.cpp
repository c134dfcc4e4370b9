#include "ui/SaveMarkedDlg.h"

#include "ui/ErrorGuard.h"
#include "widgets/DialogParts.h"
#include "widgets/MessageBox.h"

#include <QLabel>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>

#include <algorithm>
#include <climits>

namespace orbisk {

TSaveMarkedDlg::TSaveMarkedDlg(QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
{
    SetUpFixedDialog(*this, "SaveMarkedDlg", "Saving icons", ClientSize);
    BuildControls();
}

TSaveMarkedDlg::~TSaveMarkedDlg() = default;

void TSaveMarkedDlg::BuildControls()
{
    Label1_ = new QLabel(QStringLiteral("Saving icons to ..."), this);
    Label1_->setObjectName(QStringLiteral("Label1"));
    Label1_->move(8, 8);
    // A long folder name is cut at the dialog's edge rather than widening it.
    Label1_->resize(ClientSize.width() - 16, Label1_->sizeHint().height());
    ProgressBar_ = new QProgressBar(this);
    ProgressBar_->setObjectName(QStringLiteral("ProgressBar"));
    ProgressBar_->setGeometry(8, 32, 297, 16);
    ProgressBar_->setRange(0, 100);
    ProgressBar_->setValue(0);
    ProgressBar_->setTextVisible(false);
    CancelBtn_ = new QPushButton(QStringLiteral("Cancel"), this);
    CancelBtn_->setObjectName(QStringLiteral("CancelBtn"));
    CancelBtn_->setGeometry(118, 60, 75, 25);
    connect(CancelBtn_, &QPushButton::clicked, this, GuardedSlot([this] { reject(); }));
}

void TSaveMarkedDlg::Execute(SaveMarkedJob job, TIconList& icons, const TfileList& files, const FolderList& folders)
{
    Pending_.emplace(PendingBatch { std::move(job), icons, files, folders });
    ProgressBar_->setRange(0, 100);
    ProgressBar_->setValue(0);
    // The window (and with it this dialog) may be closed for good while the
    // dialog runs, by a signal to end the program.
    const QPointer<TSaveMarkedDlg> self(this);
    exec();
    // A dialog that never showed starts nothing later.
    if (self)
        Pending_.reset();
}

// Once per showing: a window manager may activate the dialog again, and
// closing the error box activates it too.
void TSaveMarkedDlg::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (event->spontaneous())
        return;
    if (const QScreen* where = screen())
        move(where->availableGeometry().center() - rect().center());
    Guarded([this] { FormActivate(); });
}

void TSaveMarkedDlg::FormActivate()
{
    if (!Pending_)
        return;
    PendingBatch batch = std::move(*Pending_);
    Pending_.reset();
    Label1_->setText(QStringLiteral("Saving icons to ") + QString::fromStdString(batch.job.Folder));
    Batch_->Start(std::move(batch.job), batch.icons, batch.files, batch.folders);
}

// Cancel, Esc and the close box all come here.
void TSaveMarkedDlg::reject()
{
    CancelBtnClick();
    QDialog::reject();
}

void TSaveMarkedDlg::CancelBtnClick() { Batch_->Cancel(); }

void TSaveMarkedDlg::SetProgressMax(std::size_t maximum)
{
    ProgressBar_->setRange(0, int(std::min<std::size_t>(maximum, INT_MAX)));
    ProgressBar_->setValue(0);
}

void TSaveMarkedDlg::StepProgress(std::size_t steps)
{
    const long long value = (long long)ProgressBar_->value() + (long long)steps;
    ProgressBar_->setValue(int(std::min<long long>(value, ProgressBar_->maximum())));
}

void TSaveMarkedDlg::ShowErrors(const std::string& text) { ShowMessage(QString::fromStdString(text)); }

void TSaveMarkedDlg::CloseRequest()
{
    // As the close box would, but without cancelling: the batch is over.
    if (isVisible())
        QDialog::done(QDialog::Rejected);
    emit BatchEnded();
}

} // namespace orbisk
