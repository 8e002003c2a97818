#include "image_store.h"

#include "errors.h"

#include <mutex>
#include <unordered_map>

namespace rix {

namespace {

struct Store {
    std::mutex mutex;
    std::unordered_map<int32_t, std::unique_ptr<Image>> images;
    int32_t nextHandle = 1;
};

Store& store()
{
    static Store instance;
    return instance;
}

} // namespace

int32_t adoptImage(std::unique_ptr<Image> image)
{
    Store& s = store();
    std::lock_guard lock(s.mutex);
    if (s.nextHandle == INT32_MAX)
        throw Error("no more image handles");
    const int32_t handle = s.nextHandle++;
    s.images.emplace(handle, std::move(image));
    return handle;
}

Image* findImage(int32_t handle)
{
    Store& s = store();
    std::lock_guard lock(s.mutex);
    auto it = s.images.find(handle);
    return it == s.images.end() ? nullptr : it->second.get();
}

bool destroyImage(int32_t handle)
{
    std::unique_ptr<Image> doomed;
    Store& s = store();
    {
        std::lock_guard lock(s.mutex);
        auto it = s.images.find(handle);
        if (it == s.images.end())
            return false;
        doomed = std::move(it->second);
        s.images.erase(it);
    }
    return true;
}

} // namespace rix
