#pragma once

// A scratch folder for file list tests, and reading a list's rows.

#include "shell/controls/ShellListModel.h"
#include "shell/controls/TStShellListView.h"

#include "tests/shell/items/ShellTestSupport.h"

#include <QAbstractItemModelTester>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

// Readable QStringLists in GoogleTest failures.
inline void PrintTo(const QStringList& list, std::ostream* os)
{
    *os << '"' << list.join(QStringLiteral("\", \"")).toStdString() << '"';
}

namespace orbisk::test {

// A fresh folder for each test: NewFolder() when the test starts, then
// At(name) for a path in it.
class ListFolder {
protected:
    bool NewFolder()
    {
        tmp_ = std::make_unique<QTemporaryDir>();
        root_ = Native(tmp_->path());
        return tmp_->isValid();
    }
    std::string At(const char* name) const { return root_ + "/" + name; }

    std::unique_ptr<QTemporaryDir> tmp_;
    std::string root_;
};

inline bool WriteFile(const std::string& path, std::size_t bytes)
{
    const int fd = ::open(path.c_str(), O_CREAT | O_TRUNC | O_WRONLY | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    const std::string data(bytes, 'x');
    const bool ok = ::write(fd, data.data(), data.size()) == ssize_t(data.size());
    ::close(fd);
    return ok;
}

// A list whose model is checked by the model tester through everything the
// test does with it.
inline std::unique_ptr<TStShellListView> MakeList(TViewStyle style = TViewStyle::vsList)
{
    auto list = std::make_unique<TStShellListView>();
    new QAbstractItemModelTester(list->Model(), QAbstractItemModelTester::FailureReportingMode::Fatal, list.get());
    list->SetViewStyle(style);
    return list;
}

// The captions of a list's rows, top to bottom.
inline QStringList Captions(const TStShellListView& list)
{
    QStringList out;
    for (int row = 0; row < list.Model()->rowCount(); ++row)
        out << list.Model()->ItemAtRow(row)->DisplayName();
    return out;
}

inline int RowOf(const TStShellListView& list, const QString& caption)
{
    return int(Captions(list).indexOf(caption));
}

inline void SelectRow(TStShellListView& list, int row)
{
    list.SelectionModel()->setCurrentIndex(list.Model()->index(row, 0),
                                           QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

inline QString Cell(const TStShellListView& list, int row, int column)
{
    return list.Model()->index(row, column).data().toString();
}

} // namespace orbisk::test
