#include "homehost/FileWatcher.h"

#include <poll.h>
#include <sys/inotify.h>

#include <cerrno>

#include "platform/Log.h"

namespace quelt::home {

std::unique_ptr<FileWatcher> FileWatcher::Start(std::function<void()> changed) {
  platform::UniqueFd inotify(inotify_init1(IN_NONBLOCK | IN_CLOEXEC));
  if (!inotify.Valid()) return nullptr;
  std::unique_ptr<FileWatcher> watcher(new FileWatcher(std::move(inotify), std::move(changed)));
  if (!watcher->stop_.Valid()) return nullptr;
  watcher->thread_ = std::thread([raw = watcher.get()] { raw->Run(); });
  return watcher;
}

FileWatcher::FileWatcher(platform::UniqueFd inotify, std::function<void()> changed)
    : inotify_(std::move(inotify)), changed_(std::move(changed)) {}

FileWatcher::~FileWatcher() {
  stop_.Signal();
  if (thread_.joinable()) thread_.join();
}

void FileWatcher::Watch(const std::set<std::filesystem::path>& files) {
  const std::lock_guard lock(mutex_);
  files_.clear();
  std::set<std::filesystem::path> wanted;
  for (const auto& file : files) wanted.insert(file.parent_path());
  // Folders of schemes no longer shown stop waking the thread.
  std::erase_if(folders_, [this, &wanted](const auto& watch) {
    if (wanted.contains(watch.second)) return false;
    inotify_rm_watch(inotify_.Get(), watch.first);
    return true;
  });
  for (const auto& file : files) {
    const auto folder = file.parent_path();
    // Writers replace files by rename, so the folder is watched, not the file.
    const int watch = inotify_add_watch(inotify_.Get(), folder.c_str(),
                                        IN_CLOSE_WRITE | IN_MOVED_TO | IN_DELETE | IN_MOVED_FROM | IN_ONLYDIR);
    if (watch < 0) {
      platform::Log("home: cannot watch %s", folder.c_str());
      continue;
    }
    folders_[watch] = folder;
    files_.insert(file);
  }
}

bool FileWatcher::Matches(int watch, std::string_view name) {
  const std::lock_guard lock(mutex_);
  const auto folder = folders_.find(watch);
  return folder != folders_.end() && files_.contains(folder->second / name);
}

void FileWatcher::Run() {
  alignas(inotify_event) char buffer[4096];
  while (true) {
    pollfd fds[2] = {{inotify_.Get(), POLLIN, 0}, {stop_.Fd(), POLLIN, 0}};
    if (poll(fds, 2, -1) < 0) {
      if (errno == EINTR) continue;
      return;
    }
    if ((fds[1].revents & POLLIN) != 0) return;
    bool changed = false;
    while (true) {
      const ssize_t got = read(inotify_.Get(), buffer, sizeof buffer);
      if (got <= 0) break;
      for (ssize_t at = 0; at + static_cast<ssize_t>(sizeof(inotify_event)) <= got;) {
        const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
        const std::string_view name = event->len > 0 ? std::string_view(event->name) : std::string_view();
        // A dropped event queue may have hidden the change, so it counts as one.
        if ((event->mask & IN_Q_OVERFLOW) != 0 || (!name.empty() && Matches(event->wd, name))) changed = true;
        at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
      }
    }
    if (changed) changed_();
  }
}

}  // namespace quelt::home
