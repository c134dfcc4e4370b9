#pragma once

#include "shell/items/ShellConsumer.h"

#include <QByteArray>
#include <QFile>
#include <QString>

#include <fcntl.h>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

#include <ostream>

// Readable QStrings in test failures.
inline void PrintTo(const QString& s, std::ostream* os)
{
    *os << '"' << s.toStdString() << '"';
}

namespace orbisk::test {

// A consumer that keeps what an enumeration hands it.
class Collector : public TStShellConsumer {
public:
    TStConsumerKind kind = TStConsumerKind::List;
    bool files = false;
    bool hidden = false;
    bool filtered = false;
    TStOptimization optimization = otEnumerate;
    std::vector<std::unique_ptr<TStShellItem>> items;
    std::vector<uint32_t> attributes;

    TStConsumerKind ConsumerKind() const override { return kind; }
    bool ShowFiles() const override { return kind == TStConsumerKind::List || files; }
    bool ShowHidden() const override { return hidden; }
    TStOptimization Optimization() const override { return optimization; }
    bool Filtered() const override { return filtered; }
    void AddItem(std::unique_ptr<TStShellItem> item, const QPersistentModelIndex&, uint32_t attrs) override
    {
        items.push_back(std::move(item));
        attributes.push_back(attrs);
    }

    const TStShellItem* Find(const QString& name) const
    {
        for (const auto& item : items)
            if (item->DisplayName() == name)
                return item.get();
        return nullptr;
    }
    uint32_t AttributesOf(const QString& name) const
    {
        for (std::size_t i = 0; i < items.size(); ++i)
            if (items[i]->DisplayName() == name)
                return attributes[i];
        return 0;
    }
};

inline std::string Native(const QString& path)
{
    return QFile::encodeName(path).toStdString();
}

inline void Touch(const std::string& path)
{
    const int fd = ::open(path.c_str(), O_CREAT | O_WRONLY | O_CLOEXEC, 0644);
    if (fd >= 0)
        ::close(fd);
}

} // namespace orbisk::test
