#include "shell/controls/FolderReader.h"

#include "platform/namespace/DirectoryFindData.h"
#include "shell/controls/ItemDetails.h"
#include "shell/controls/ListSort.h"
#include "shell/items/ShellController.h"

#include <optional>

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

TStFolderReader::TStFolderReader(QObject*)
    : wake_([this] { Deliver(); })
    , results_(&wake_)
{
}

TStFolderReader::~TStFolderReader() { Cancel(); }

void TStFolderReader::Cancel()
{
    read_.Stop();
    results_.Drop();
    busy_ = false;
}

void TStFolderReader::Start(Request request, Done done)
{
    Cancel();
    done_ = std::move(done);
    busy_ = true;
    auto owned = std::make_shared<Request>(std::move(request));
    read_ = Job([owned, results = &results_](JobControl& job) {
        std::optional<Result> result;
        try {
            result.emplace(Read(*owned, job.CancelFlag()));
        } catch (const ReadCancelled&) {
            return;
        }
        results->Post(job, std::move(*result));
    });
}

void TStFolderReader::Deliver()
{
    for (Result& result : results_.Take().reports) {
        // Cancelled after the result was posted: a newer read or a fill has
        // replaced it.
        if (!busy_)
            return;
        busy_ = false;
        read_.Stop();
        const Done done = done_; // it may start the next read
        done(std::move(result));
    }
}

} // namespace orbisk
