#pragma once
// Keeps every core of the machine busy for as long as it lives: one busy loop per core, each a
// process of its own, ended by its process id.
#include <QProcess>
#include <memory>
#include <vector>

namespace real_display {

class BusyCores {
public:
    BusyCores();
    ~BusyCores();
    BusyCores(const BusyCores&) = delete;
    BusyCores& operator=(const BusyCores&) = delete;

private:
    std::vector<std::unique_ptr<QProcess>> loops_;
};

}  // namespace real_display
