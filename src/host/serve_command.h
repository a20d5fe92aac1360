#pragma once
// `qe serve [--site DIR] [--listen HOST:PORT] [--threads N]`: the site over HTTP.
namespace host {

int RunServe(int argc, char** argv);

}  // namespace host
