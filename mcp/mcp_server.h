// The read-only MCP server on standard input and output.
#pragma once

// Serves until standard input ends; returns the process exit code.
int runMcpServer();
