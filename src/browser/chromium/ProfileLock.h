#pragma once

#include <QString>

// A lock on a Chromium profile folder, held by the NavRelay process whose browser uses the
// profile, so that two processes started at the same moment never start browsers on one profile
// (the second Chromium would hand its command line to the first and end). Taken at once or not
// at all (flock on a file in the folder), and let go with the object or the process.
class ProfileLock {
public:
    ProfileLock() = default;
    // Tries to take the lock of the folder, which must exist.
    explicit ProfileLock(const QString &profileFolder);
    ~ProfileLock();
    ProfileLock(ProfileLock &&other) noexcept;
    ProfileLock &operator=(ProfileLock &&other) noexcept;
    ProfileLock(const ProfileLock &) = delete;
    ProfileLock &operator=(const ProfileLock &) = delete;

    [[nodiscard]] bool held() const { return m_descriptor >= 0; }

private:
    int m_descriptor = -1;
};
