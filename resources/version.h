// The program's version, in the one place the About page, the MCP server and
// the version resource take it from. Plain #defines only: the resource
// compiler reads this file as well as C++.
#pragma once

#define TOOLKEEP_VERSION_MAJOR 2
#define TOOLKEEP_VERSION_MINOR 0
#define TOOLKEEP_VERSION_PATCH 1
#define TOOLKEEP_VERSION_BUILD 23
#define TOOLKEEP_VERSION_TEXT "2.0.1.23"
