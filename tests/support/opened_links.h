#pragma once
// What the shell was asked to open. While one of these lives, the test
// prefix's web schemes (http, https, ftp) and the probe scheme
// "quillon-probe" are handled by the link recorder (fixtures/
// link_recorder.c) instead of the browser: the shell really runs the
// handler, and the recorder writes down each link it is given.

#include <chrono>
#include <string>
#include <vector>

namespace quillon::test {

class TOpenedLinks {
public:
    TOpenedLinks();
    ~TOpenedLinks();
    TOpenedLinks(const TOpenedLinks&) = delete;
    TOpenedLinks& operator=(const TOpenedLinks&) = delete;

    // The links opened so far, oldest first.
    [[nodiscard]] std::vector<std::wstring> Opened() const;
    // Waits until Count links have been opened or Timeout has passed (the
    // handler runs in a process of its own); returns what was opened.
    [[nodiscard]] std::vector<std::wstring> WaitFor(std::size_t Count,
                                                    std::chrono::milliseconds Timeout = std::chrono::seconds(15)) const;

private:
    std::wstring FLog;
    std::vector<std::wstring> FSchemes;
    std::vector<std::wstring> FOldCommands;
};

}  // namespace quillon::test
