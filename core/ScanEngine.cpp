#include "core/ScanEngine.h"

#include "platform/files/NativePath.h"
#include "core/TGatherPics.h"

#include <QCoreApplication>
#include <QObject>
#include <QSocketNotifier>
#include <QTimer>

#include <algorithm>
#include <cstdint>
#include <system_error>

#include <sys/eventfd.h>
#include <unistd.h>

namespace orbisk {

ScanEngine::ScanEngine(ScanView& view)
    : view_(view)
    , mailbox_([this] {
        // On the worker thread. Only a counter in the kernel is touched: no
        // memory passes to the window thread except through the mailbox.
        const uint64_t one = 1;
        [[maybe_unused]] const ssize_t written = ::write(wakeFd_, &one, sizeof one);
    })
    , receiver_(std::make_unique<QObject>())
{
    deliveryTimer_ = new QTimer(receiver_.get());
    deliveryTimer_->setSingleShot(true);
    QObject::connect(deliveryTimer_, &QTimer::timeout, receiver_.get(), [this] { DeliverUpdates(); });
}

ScanEngine::~ScanEngine()
{
    stopped_.store(true);
    worker_.reset();
    receiver_.reset(); // and with it the notifier, before its descriptor closes
    if (wakeFd_ >= 0)
        ::close(wakeFd_);
}

bool ScanEngine::EnsureWakeChannel()
{
    // Needs the window thread's event loop, which may not exist yet when the
    // engine is made (or ever, in a program without one).
    if (wakeNotifier_ || !QCoreApplication::instance())
        return wakeNotifier_ != nullptr;
    wakeFd_ = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (wakeFd_ < 0)
        return false;
    wakeNotifier_ = new QSocketNotifier(wakeFd_, QSocketNotifier::Read, receiver_.get());
    QObject::connect(wakeNotifier_, &QSocketNotifier::activated, receiver_.get(), [this] {
        uint64_t count = 0;
        [[maybe_unused]] const ssize_t got = ::read(wakeFd_, &count, sizeof count);
        OnWake();
    });
    return true;
}

bool ScanEngine::ScanRunning() const { return worker_ && !worker_->Finished(); }

void ScanEngine::DropPending()
{
    mailbox_.Drop();
    pendingUpdates_.clear();
    pendingPanels_.fill(std::nullopt);
    ++generation_;
}

void ScanEngine::BeginScan(const std::string& path)
{
    if (path.empty())
        return;
    for (int panel = 0; panel < 3; ++panel)
        view_.SetPanelText(panel, {});
    stopped_.store(true);
    worker_.reset(); // joins the old worker
    // Nothing the old scan posted may show once the new one has started.
    DropPending();
    stopped_.store(false);
    scanRoot_ = TrimTrailingSeparators(path);
    folders_.Clear();
    files_.Clear();
    icons_.Clear();
    view_.SetColCount(1);
    view_.SetRowCount(1);
    view_.Repaint();
    PublishGridClientSize();
    mailbox_.SetWakeEnabled(EnsureWakeChannel());
    ScanJob job { scanRoot_, oneFileMode_, withSub_, fileExt_, hooks_, readerThreads_ };
    try {
        worker_ = std::make_unique<TGatherPics>(std::move(job), folders_, files_, icons_, mailbox_, stopped_);
    } catch (const std::system_error&) {
        stopped_.store(true);
    }
}

void ScanEngine::EndScan()
{
    stopped_.store(true);
    if (!worker_)
        return;
    // The worker never waits for this thread, so a plain wait cannot
    // deadlock; its updates are still shown meanwhile.
    while (!worker_->WaitFor(StatusInterval))
        DeliverUpdates();
    worker_->Join();
    DeliverUpdates();
}

bool ScanEngine::WaitForScan(std::chrono::milliseconds timeout)
{
    if (!worker_)
        return true;
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (worker_->WaitFor(std::clamp(left, std::chrono::milliseconds(0), StatusInterval)))
            break;
        DeliverUpdates();
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
    }
    worker_->Join();
    DeliverUpdates();
    return true;
}

void ScanEngine::OnWake()
{
    // Status texts come after every directory entry; showing them more often
    // than the eye can follow would only take time from the scan.
    const auto since = std::chrono::steady_clock::now() - lastDelivery_;
    if (since >= StatusInterval || !ScanRunning()) {
        DeliverUpdates();
        return;
    }
    if (!deliveryTimer_->isActive())
        deliveryTimer_->start(std::chrono::duration_cast<std::chrono::milliseconds>(StatusInterval - since));
}

void ScanEngine::DeliverUpdates()
{
    lastDelivery_ = std::chrono::steady_clock::now();
    ScanMailbox::Batch batch = mailbox_.Take();
    for (ScanMailbox::Update& u : batch.updates)
        pendingUpdates_.push_back(std::move(u));
    for (std::size_t p = 0; p < batch.panels.size(); ++p) {
        if (batch.panels[p])
            pendingPanels_[p] = std::move(batch.panels[p]);
    }
    const unsigned long generation = generation_;
    while (!pendingUpdates_.empty() && generation == generation_) {
        const ScanMailbox::Update u = std::move(pendingUpdates_.front());
        pendingUpdates_.pop_front();
        switch (u.kind) {
        case ScanMailbox::Update::Caption:
            view_.SetCaption(u.text);
            break;
        case ScanMailbox::Update::Grow:
            view_.GrowGrid(u.iconCount, u.fitColumns, u.fitRows);
            break;
        case ScanMailbox::Update::Arrange:
            ArrangeGrid();
            break;
        }
    }
    for (std::size_t p = 0; p < pendingPanels_.size() && generation == generation_; ++p) {
        if (std::optional<std::string> text = std::exchange(pendingPanels_[p], std::nullopt))
            view_.SetPanelText(int(p), *text);
    }
}

void ScanEngine::PublishGridClientSize() { mailbox_.PublishGridClientSize(view_.ClientWidth(), view_.ClientHeight()); }

std::string ScanEngine::FilePath(std::size_t fileIndex) const
{
    if (fileIndex >= files_.size())
        return {};
    const FileListRec& rec = files_[fileIndex];
    return JoinPath(folders_[std::size_t(rec.FolderIndex)], rec.FileName);
}

std::string ScanEngine::IconName(std::size_t iconIndex) const
{
    if (iconIndex >= icons_.size())
        return {};
    const IconEntry& e = icons_[iconIndex];
    return FilePath(std::size_t(e.FileIndex)) + " #" + std::to_string(e.IconIndex);
}

void ScanEngine::ArrangeGrid()
{
    view_.ArrangeGrid(static_cast<long long>(icons_.size()));
    PublishGridClientSize();
}

void ScanEngine::DeleteMarkedIcons()
{
    if (ScanRunning())
        EndScan(); // entries may only move while no worker appends
    icons_.RemoveMarked();
    ArrangeGrid();
}

std::size_t ScanEngine::RemoveDuplicateIcons()
{
    if (ScanRunning())
        EndScan(); // entries may only move while no worker appends
    const std::size_t removed = icons_.RemoveDuplicates();
    ArrangeGrid();
    view_.SetPanelText(ScanView::DetailPanel, std::to_string(removed) + " duplicate icon(s) removed");
    return removed;
}

bool ScanEngine::DeleteCurrentIcon(int col, int row)
{
    if (ScanRunning())
        EndScan();
    if (col < 0 || row < 0)
        return false;
    const long long index = static_cast<long long>(view_.ColCount()) * row + col;
    if (index >= static_cast<long long>(icons_.size()) || !icons_.RemoveAt(std::size_t(index)))
        return false;
    ArrangeGrid();
    return true;
}

} // namespace orbisk
