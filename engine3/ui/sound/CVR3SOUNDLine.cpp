#include "engine3/ui/sound/CVR3SOUNDLine.h"

#include "engine3/ui/sound/SoundLock.h"

namespace Vorna3D {

CVR3SOUNDLine::CVR3SOUNDLine(const std::string& name, int mode) : m_strName(name), m_iMode(mode) {
    InitializeCriticalSection(&m_lock);
}

CVR3SOUNDLine::~CVR3SOUNDLine() { DeleteCriticalSection(&m_lock); }

void CVR3SOUNDLine::SetGap(DWORD ms) {
    SoundLock lock(m_lock);
    m_uGap = ms;
}

void CVR3SOUNDLine::PostRequest(int code) {
    SoundLock lock(m_lock);
    if (m_stdvRequests.size() < kMaxRequests) m_stdvRequests.push_back(code);
}

bool CVR3SOUNDLine::AddToPending(const std::string& path) {
    SoundLock lock(m_lock);
    for (size_t i = 0; i < m_stdvFileNames.size() && i < m_stdvSources.size(); ++i) {
        if (m_stdvFileNames[i] == path) {
            m_stdvPending.push_back(m_stdvSources[i]);
            return true;
        }
    }
    return false;
}

bool CVR3SOUNDLine::Compare(const std::vector<std::string>& paths) {
    SoundLock lock(m_lock);
    if (paths.size() != m_stdvCurrent.size()) return false;
    for (size_t i = 0; i < paths.size(); ++i) {
        CVR3SOUNDSource* wanted = nullptr;
        for (size_t k = 0; k < m_stdvFileNames.size() && k < m_stdvSources.size(); ++k)
            if (m_stdvFileNames[k] == paths[i]) wanted = m_stdvSources[k];
        if (!wanted || wanted != m_stdvCurrent[i]) return false;
    }
    return true;
}

int CVR3SOUNDLine::GetCurrentIndex() {
    SoundLock lock(m_lock);
    return m_iCurrentIndex;
}

size_t CVR3SOUNDLine::GetCurrentCount() {
    SoundLock lock(m_lock);
    return m_stdvCurrent.size();
}

CVR3SOUNDSource* CVR3SOUNDLine::GetCurrentItem() {
    SoundLock lock(m_lock);
    if (m_iCurrentIndex < 0 || static_cast<size_t>(m_iCurrentIndex) >= m_stdvCurrent.size()) return nullptr;
    return m_stdvCurrent[static_cast<size_t>(m_iCurrentIndex)];
}

size_t CVR3SOUNDLine::GetRequestCount() {
    SoundLock lock(m_lock);
    return m_stdvRequests.size();
}

} // namespace Vorna3D
