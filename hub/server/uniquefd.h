// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A file descriptor with one owner, closed once: when its owner goes, or by
// Close, which says whether the close succeeded (it can report a write that
// failed). Moving it hands the descriptor on; the one moved from owns none.

#include <unistd.h>

#include <utility>

class UniqueFd
{
public:
    UniqueFd() = default;
    explicit UniqueFd(int fd)
        : m_fd(fd)
    {}
    UniqueFd(UniqueFd &&other) noexcept
        : m_fd(std::exchange(other.m_fd, -1))
    {}
    UniqueFd &operator=(UniqueFd &&other) noexcept
    {
        if (this != &other) {
            Close();
            m_fd = std::exchange(other.m_fd, -1);
        }
        return *this;
    }
    ~UniqueFd() { Close(); }

    int Get() const { return m_fd; }
    bool Valid() const { return m_fd >= 0; }
    // Closes the descriptor now; true when there was none.
    bool Close() { return m_fd < 0 || ::close(std::exchange(m_fd, -1)) == 0; }

private:
    int m_fd = -1;
};
