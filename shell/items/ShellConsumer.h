#pragma once

#include "shell/items/ShellItem.h"

#include <QPersistentModelIndex>

#include <cstdint>
#include <functional>
#include <memory>

class QObject;

namespace orbisk {

enum class TStConsumerKind { Tree, List };

// When a list fetches its items' icons: at enumeration (otDisplay) or when a
// row is first drawn (otEnumerate).
enum TStOptimization { otEnumerate, otDisplay };

// The veto asked for each enumerated item; Accept comes in true.
using TStEnumItemEvent = std::function<void(QObject* Sender, TStShellItem* ShellItem, bool& Accept)>;

// What a folder tree or a file list offers the shell layer: the options that
// decide what an enumeration asks for, the filter event, and the sink for
// items. A QAbstractItemModel-based tree or list implements it
// next to its model: AddItem appends a row (under `parentNode` for a tree,
// the node the tree set as the controller's parent node before enumerating).
class TStShellConsumer {
public:
    virtual ~TStShellConsumer() = default;

    virtual TStConsumerKind ConsumerKind() const = 0;
    // Tree: toShowFiles (files appear as nodes too). A list always has files.
    virtual bool ShowFiles() const { return ConsumerKind() == TStConsumerKind::List; }
    // toShowHidden for a tree, loShowHidden for a list.
    virtual bool ShowHidden() const = 0;
    // A list's Optimization; a tree leaves icons to its own AddItem.
    virtual TStOptimization Optimization() const { return otEnumerate; }
    // Whether OnFilterItem is asked.
    virtual bool Filtered() const { return false; }
    // The Sender that the consumer's events carry.
    virtual QObject* SenderObject() { return nullptr; }

    TStEnumItemEvent OnFilterItem;

    // An accepted item, now the consumer's. `attributes` are the shell's bits
    // (ShellAttribute) asked for it during the enumeration: file system,
    // folder, share and, for a tree, has-sub-folders, from which a tree
    // decides on the node's expand button.
    virtual void AddItem(std::unique_ptr<TStShellItem> item, const QPersistentModelIndex& parentNode,
                         uint32_t attributes) = 0;

    // List only: show the busy animation while a folder outside the file
    // system is read (hidden at the first item or at the end).
    virtual void SetBusyAnimation(bool /*visible*/) {}

};

} // namespace orbisk
