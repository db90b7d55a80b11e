// zel: the library's subsystems from a terminal. Each subcommand is a thin
// layer over the libraries; this file holds the program's options and the
// dispatch.
#include <cstdio>
#include <exception>
#include <iostream>

#include "cli_impl.hpp"
#include "core/zel_version.hpp"
#include "core/zel_zelbase.hpp"

int main(int argc, char** argv) {
  using namespace zelcli;
  Context ctx;
  CLI::App app{"zel: chemistry, geography and numerics of the zel libraries from a terminal",
               "zel"};
  app.set_version_flag("--version", std::string("zel ") + zel::VersionString());
  app.add_flag("--json", ctx.json, "Print the results as JSON");
  app.add_flag("-q,--quiet", ctx.quiet, "No progress bar on standard error");
  app.require_subcommand(1);
  app.fallthrough();
  app.footer(
      "A file name '-' reads standard input (or writes standard output).\n"
      "Exit codes: 0 success, 1 the work failed, 2 usage error.");

  AddChemCommands(app, ctx);
  AddGeoCommands(app, ctx);
  AddDataCommands(app, ctx);
  AddMatrixCommands(app, ctx);
  AddMapCommands(app, ctx);

  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp& e) {
    return app.exit(e);
  } catch (const CLI::CallForAllHelp& e) {
    return app.exit(e);
  } catch (const CLI::CallForVersion& e) {
    return app.exit(e);
  } catch (const CLI::ParseError& e) {
    // Usage errors: the parser's own and the checks the subcommands make
    // before any work.
    std::fprintf(stderr, "zel: %s\nRun 'zel --help' or 'zel SUBCOMMAND --help' for usage.\n",
                 e.what());
    return kExitUsage;
  } catch (const Failure& e) {
    std::fprintf(stderr, "zel: %s\n", e.what());
    return kExitFailed;
  } catch (const std::exception& e) {
    // A library exception carries its routine or component in the message.
    std::fprintf(stderr, "zel: %s\n", e.what());
    return kExitFailed;
  }
  return kExitOk;
}
