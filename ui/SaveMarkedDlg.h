#pragma once

#include "export/BatchSave.h"

#include <QDialog>

#include <optional>

class QLabel;
class QProgressBar;
class QPushButton;

namespace orbisk {

// The progress dialog of Save selected icons: "Saving icons to " and the
// folder, a bar that counts the icons handled, and Cancel. It is made once,
// with the main window, and shown again for each batch; the batch's worker
// starts when it shows and asks it to close when the batch is over.
//
// The batch itself belongs to the main window, beside its scan engine; the
// dialog is only its view (View(), handed to the batch when the window makes
// it) and starts it. Cancel, Esc and the close box all cancel: the dialog
// closes at once and the worker stops after the icon in hand.
class TSaveMarkedDlg : public QDialog, private SaveMarkedView {
    Q_OBJECT

public:
    static constexpr QSize ClientSize { 310, 94 };

    explicit TSaveMarkedDlg(QWidget* owner = nullptr);
    ~TSaveMarkedDlg() override;

    // Shows the dialog modally while a worker saves the marked icons of the
    // lists into job.Folder. Returns once the dialog has closed.
    void Execute(SaveMarkedJob job, TIconList& icons, const TfileList& files, const FolderList& folders);

    // What the batch reports to; the batch shown is set once, after both
    // are made.
    SaveMarkedView& View() { return *this; }
    void SetBatch(BatchSave& batch) { Batch_ = &batch; }
    BatchSave& Batch() { return *Batch_; }

signals:
    // A worker has ended; the marks it cleared are to be repainted.
    void BatchEnded();

protected:
    void showEvent(QShowEvent* event) override;
    void reject() override;

private:
    struct PendingBatch {
        SaveMarkedJob job;
        TIconList& icons;
        const TfileList& files;
        const FolderList& folders;
    };

    void BuildControls();
    void FormActivate();
    void CancelBtnClick();

    void SetProgressMax(std::size_t maximum) override;
    void StepProgress(std::size_t steps) override;
    void ShowErrors(const std::string& text) override;
    void CloseRequest() override;

    QLabel* Label1_ = nullptr;
    QProgressBar* ProgressBar_ = nullptr;
    QPushButton* CancelBtn_ = nullptr;
    std::optional<PendingBatch> Pending_;
    BatchSave* Batch_ = nullptr;
};

} // namespace orbisk
