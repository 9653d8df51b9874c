// A private named logger whose tracing the tool switches on with a
// configuration file, to learn what the library's own reader made of it.
#pragma once

#include <memory>
#include <set>
#include <string>
#include <vector>

class CQmLogger;
class CQmTraceData;

namespace qm {
namespace tool {

class ProbeLogger {
public:
    ProbeLogger();
    ~ProbeLogger();
    ProbeLogger(const ProbeLogger&) = delete;
    ProbeLogger& operator=(const ProbeLogger&) = delete;

    // Switches tracing on with the file in the bracketed layout, on an output
    // that keeps what it is given; false when the library refuses the file.
    bool Enable(const std::string& configFile);

    // The trace component ids the configuration in force selects, among the
    // component numbers given (every number from 1 to 255 when empty).
    std::set<unsigned int> SelectedIds(const std::set<unsigned int>& numbers = {});

    // Field names of the heading line written when tracing was switched on.
    std::vector<std::string> HeadingNames() const;

    bool FieldTraced(unsigned int fieldId);

    // A working copy of the configuration in force, obtained through a
    // selected trace component id; null when the id is not selected.
    std::unique_ptr<CQmTraceData> WorkingCopy(unsigned int traceComponentId);

private:
    static void Keep(const char* text, int length, void* self);

    CQmLogger* m_pLogger;
    std::string m_written;  // what the trace output received
};

}  // namespace tool
}  // namespace qm
