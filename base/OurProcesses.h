// Which processes are this program's own: of this user, in this session, at
// this integrity level and elevation, running this executable. The hand-over
// trusts only such a process, and the popup closes for no window of one.
#pragma once

#include "WideText.h"

#include "../framework/Scoped.h"

#include <windows.h>

// A process's user, session, integrity level and elevation, from its
// token, read into buffers aligned for TOKEN_USER and TOKEN_MANDATORY_LABEL.
// The token, not the process, so that an elevated launch can be read too.
// A copy of this program that runs sandboxed at low integrity, or elevated
// at high, is another party: it neither collects nor hands over to ours
// ("Mandatory Integrity Control"; TOKEN_INFORMATION_CLASS: TokenIntegrityLevel,
// TokenElevation).
class ProcessUser {
  public:
    explicit ProcessUser(HANDLE process) {
        HANDLE token = nullptr;
        if (!process || !OpenProcessToken(process, TOKEN_QUERY, &token))
            return;
        ScopedKernelHandle owned(token);
        DWORD size = 0;
        m_read =
            GetTokenInformation(token, TokenUser, &m_user, sizeof(m_user), &size) &&
            IsValidSid(m_user.user.User.Sid) &&
            GetTokenInformation(token, TokenSessionId, &m_session, sizeof(m_session), &size) &&
            GetTokenInformation(token, TokenIntegrityLevel, &m_level, sizeof(m_level), &size) &&
            IsValidSid(m_level.label.Label.Sid) &&
            GetTokenInformation(token, TokenElevation, &m_elevation, sizeof(m_elevation), &size);
    }
    PSID Sid() const { return m_read ? m_user.user.User.Sid : nullptr; }
    PSID IntegrityLevel() const { return m_read ? m_level.label.Label.Sid : nullptr; }
    DWORD Session() const { return m_session; }
    bool Same(const ProcessUser& other) const {
        return Sid() && other.Sid() && EqualSid(Sid(), other.Sid()) &&
               m_session == other.m_session && EqualSid(IntegrityLevel(), other.IntegrityLevel()) &&
               !m_elevation.TokenIsElevated == !other.m_elevation.TokenIsElevated;
    }

  private:
    union {
        TOKEN_USER user;
        BYTE bytes[sizeof(TOKEN_USER) + SECURITY_MAX_SID_SIZE];
    } m_user;
    union {
        TOKEN_MANDATORY_LABEL label;
        BYTE bytes[sizeof(TOKEN_MANDATORY_LABEL) + SECURITY_MAX_SID_SIZE];
    } m_level;
    TOKEN_ELEVATION m_elevation = {};
    DWORD m_session = 0;
    bool m_read = false;
};

// The long form of a path whose names may be short (8.3) ones; the path
// itself when it has none.
WideText LongNameOf(const wchar_t* path);
// This process's executable as its long path.
WideText OwnExecutablePath();
// The executable of a process of this user, in this session, at this
// integrity level and elevation, as its long path; empty for any other
// process, and when it cannot be read.
WideText ExecutableOfOurs(DWORD pid);
