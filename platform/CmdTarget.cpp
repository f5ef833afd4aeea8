#include "platform/CmdTarget.h"

const CRuntimeClass CCmdTarget::Runtime{"CCmdTarget", &CObject::Runtime, nullptr};

void CCmdUI::Enable(BOOL on) { m_enabled = on != FALSE; }
void CCmdUI::SetCheck(int check) { m_check = check; }
void CCmdUI::SetText(const std::string& text) { m_text = text; }

void CCmdUI::DoUpdate(CCmdTarget* target, BOOL disableIfNoHandler)
{
    m_enabled.reset();
    m_check.reset();
    m_text.reset();
    if (!target) return;
    target->OnCmdMsg(m_nID, CN_UPDATE_COMMAND_UI, this, false);
    if (disableIfNoHandler && !m_enabled) m_enabled = target->OnCmdMsg(m_nID, CN_COMMAND, nullptr, true) != FALSE;
}

BOOL CCmdTarget::OnCmdMsg(UINT nID, int nCode, CCmdUI* pCmdUI, bool probeOnly)
{
    if (nCode == CN_UPDATE_COMMAND_UI) {
        const auto it = updates_.find(nID);
        if (it == updates_.end()) return FALSE;
        if (!probeOnly && pCmdUI) {
            // A handler may change the tables or delete this target: call a copy.
            const auto handler = it->second;
            handler(pCmdUI);
        }
        return TRUE;
    }
    const auto it = commands_.find(Key(nID, nCode));
    if (it != commands_.end()) {
        if (!probeOnly) {
            const auto handler = it->second;
            handler(nID);
        }
        return TRUE;
    }
    if (nCode != CN_COMMAND) return FALSE;
    for (const RangeEntry& r : ranges_) {
        if (nID >= r.first && nID <= r.last) {
            if (!probeOnly) {
                const auto handler = r.handler;
                handler(nID);
            }
            return TRUE;
        }
    }
    return FALSE;
}
