#include "shell/controls/FolderReader.h"

#include "platform/namespace/DirectoryFindData.h"
#include "shell/controls/ItemDetails.h"
#include "shell/controls/ListSort.h"
#include "shell/items/ShellController.h"

namespace orbisk {

namespace {

// Ends an enumeration that is no longer wanted, from inside it: the
// controller's loop frees what it holds on the way out.
struct ReadCancelled {
};

// Keeps every item the enumeration hands it; the list's filter event is
// asked on the window thread afterwards.
class Collector : public TStShellConsumer {
public:
    Collector(const TStFolderReader::Request& request, const std::atomic<bool>& cancelled,
              const DirectoryFindData* directory)
        : request_(request), cancelled_(cancelled), directory_(directory)
    {
    }
    TStConsumerKind ConsumerKind() const override { return TStConsumerKind::List; }
    bool ShowHidden() const override { return request_.showHidden; }
    TStOptimization Optimization() const override { return request_.optimization; }
    void AddItem(std::unique_ptr<TStShellItem> item, const QPersistentModelIndex&, uint32_t) override
    {
        if (cancelled_.load(std::memory_order_relaxed))
            throw ReadCancelled();
        if (request_.details)
            ComputeItemDetails(*item, directory_);
        items.push_back(std::move(item));
    }

    std::vector<std::unique_ptr<TStShellItem>> items;

private:
    const TStFolderReader::Request& request_;
    const std::atomic<bool>& cancelled_;
    const DirectoryFindData* directory_;
};

TStFolderReader::Result Read(const TStFolderReader::Request& request, const std::atomic<bool>& cancelled)
{
    const std::string path = request.folder->NativePath();
    const auto directory = path.empty() ? nullptr : std::make_unique<DirectoryFindData>(path);
    const TStCustomShellController controller;
    Collector collector(request, cancelled, directory.get());
    controller.EnumerateFolder(*request.folder, collector);
    if (cancelled.load())
        throw ReadCancelled();

    TStFolderReader::Result result;
    result.details = request.details;
    // The items go back in name order, each with its rank.
    std::vector<TStListRow> rows;
    rows.reserve(collector.items.size());
    for (auto& item : collector.items)
        rows.push_back({item.release(), 0});
    RankByName(rows);
    result.items.reserve(rows.size());
    result.nameRanks.reserve(rows.size());
    for (const TStListRow& row : rows) {
        result.items.emplace_back(row.item);
        result.nameRanks.push_back(row.nameRank);
    }
    return result;
}

} // namespace

TStFolderReader::~TStFolderReader()
{
    Cancel();
    Join();
}

void TStFolderReader::Join()
{
    if (worker_.joinable())
        worker_.join();
}

void TStFolderReader::Cancel()
{
    if (cancelled_)
        cancelled_->store(true);
    busy_ = false;
}

void TStFolderReader::Start(Request request, Done done)
{
    Cancel();
    Join();
    cancelled_ = std::make_shared<std::atomic<bool>>(false);
    busy_ = true;
    worker_ = std::thread([this, request = std::move(request), done = std::move(done), cancelled = cancelled_,
                           receiver = receiver_]() mutable {
        std::shared_ptr<Result> result;
        try {
            result = std::make_shared<Result>(Read(request, *cancelled));
        } catch (const ReadCancelled&) {
            return;
        }
        QMetaObject::invokeMethod(
            receiver,
            [this, result, done = std::move(done), cancelled] {
                // Cancelled after the result was posted: a newer read or a
                // fill has replaced it.
                if (cancelled->load())
                    return;
                busy_ = false;
                done(std::move(*result));
            },
            Qt::QueuedConnection);
    });
}

} // namespace orbisk
