#pragma once
// A sound line: a named playlist of sound sources (music, ambience) played one
// item after another with an optional pause between items. The main thread
// posts requests; the sound thread carries them out and advances the line.
#include "engine3/ui/sound/CVR3SOUNDSource.h"

#include "platform/os/Threads.h"

#include <string>
#include <vector>

namespace Vorna3D {

class CVR3SOUNDLine {
public:
    enum EMode { MODE_SEQUENTIAL = 1, MODE_RANDOM = 2, MODE_ONCE = 3 };
    enum ERequest {
        REQUEST_STOP = 1,
        REQUEST_PLAY = 2,
        REQUEST_PAUSE = 3,
        REQUEST_CLEAR = 4,
        REQUEST_REPLACE = 5,
    };
    static constexpr DWORD kNotWaiting = 0xFFFFFFFFu;
    // Requests beyond this many unserviced ones are dropped, so a line whose
    // thread does not run cannot grow without bound.
    static constexpr size_t kMaxRequests = 1024;

    CVR3SOUNDLine(const std::string& name, int mode);
    ~CVR3SOUNDLine();
    CVR3SOUNDLine(const CVR3SOUNDLine&) = delete;
    CVR3SOUNDLine& operator=(const CVR3SOUNDLine&) = delete;

    const std::string& GetName() const { return m_strName; }
    int GetMode() const { return m_iMode; }
    void SetGap(DWORD ms);

    // Main thread. Each takes the line's own lock.
    void PostRequest(int code);
    void Stop() { PostRequest(REQUEST_STOP); }
    // Appends the source loaded for `path` to the pending list; false when the
    // line has no source for that path.
    bool AddToPending(const std::string& path);
    // True when the current list holds exactly the sources of `paths`, in order.
    bool Compare(const std::vector<std::string>& paths);

    // For tests and the screen modules: a snapshot taken under the line's lock.
    int GetCurrentIndex();
    size_t GetCurrentCount();
    CVR3SOUNDSource* GetCurrentItem();
    size_t GetRequestCount();

private:
    friend class CVR3SOUNDManager;

    CRITICAL_SECTION m_lock;
    std::string m_strName;
    int m_iMode = 0;
    std::vector<int> m_stdvRequests;
    std::vector<std::string> m_stdvFileNames;
    std::vector<CVR3SOUNDSource*> m_stdvSources;
    std::vector<CVR3SOUNDSource*> m_stdvCurrent;
    std::vector<CVR3SOUNDSource*> m_stdvPending;
    int m_iCurrentIndex = -1;
    DWORD m_uWaitStart = kNotWaiting;
    DWORD m_uGap = 0;
};

} // namespace Vorna3D
