#include "analysis/shared_tables.h"

namespace tl {

std::shared_ptr<TableDataSource> SharedTables::source(
    const std::string& key, std::size_t users,
    const std::function<std::shared_ptr<TableDataSource>()>& read) {
    std::promise<std::shared_ptr<TableDataSource>> promise;
    std::shared_future<std::shared_ptr<TableDataSource>> table;
    bool reader = false;
    {
        const std::lock_guard lock(mutex_);
        auto [at, fresh] = tables_.try_emplace(key);
        if (fresh) {
            at->second.table = promise.get_future().share();
            at->second.remaining = users;
            reader = true;
        }
        table = at->second.table;
        if (--at->second.remaining == 0) tables_.erase(at);
    }
    if (reader) {
        try {
            promise.set_value(read());
        } catch (...) {
            promise.set_exception(std::current_exception());
        }
    }
    return table.get();
}

}  // namespace tl
