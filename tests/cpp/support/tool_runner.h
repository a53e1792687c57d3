// Running external tools (iverilog, vvp, verilator) from unit tests.
#pragma once

#include <cstdio>
#include <string>
#include <utility>

namespace velora {

/// Runs `command` through the shell; returns its exit status and its output
/// (both streams).
inline std::pair<int, std::string> run_command(const std::string& command) {
  std::string output;
  FILE* pipe = ::popen((command + " 2>&1").c_str(), "r");
  if (pipe == nullptr) return {-1, "popen failed"};
  char buf[512];
  while (std::fgets(buf, sizeof buf, pipe) != nullptr) output += buf;
  const int status = ::pclose(pipe);
  return {status, output};
}

/// The output of `command` (both streams).
inline std::string command_output(const std::string& command) { return run_command(command).second; }

/// Whether `name` is on the PATH.
inline bool have_tool(const char* name) { return run_command(std::string("command -v ") + name).first == 0; }

/// Whether Icarus Verilog (compiler and runtime) is installed.
inline bool have_iverilog() { return have_tool("iverilog") && have_tool("vvp"); }

}  // namespace velora
