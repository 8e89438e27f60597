#pragma once

#include <cstddef>
#include <functional>
#include <future>
#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "input/table_data_source.h"

namespace tl {

// Tables read once for the runs that share them: an analysis file and its
// other cut sets, which a testing program runs side by side. The first run to
// ask for a table reads it; the others wait for it and use the same source.
// A cut set changes nothing of how the table is read, and a source's readSet
// changes nothing, so sharing changes the time taken and nothing else. A table
// is let go when its last expected user has it: a program of many files holds
// no table longer than its runs need it.
class SharedTables {
  public:
    // The source of `key`, made by `read` for the first of `users` callers.
    // What `read` throws reaches every caller.
    std::shared_ptr<TableDataSource> source(
        const std::string& key, std::size_t users,
        const std::function<std::shared_ptr<TableDataSource>()>& read);

  private:
    struct Entry {
        std::shared_future<std::shared_ptr<TableDataSource>> table;
        std::size_t remaining = 0;
    };
    std::mutex mutex_;
    std::map<std::string, Entry> tables_;
};

}  // namespace tl
