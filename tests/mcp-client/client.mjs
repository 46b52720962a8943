// Connects the standard MCP client to toolkeep --mcp-stdio, lists the five
// tools and calls each of them. Usage: node client.mjs COMMAND [ARGS...]
import { Client } from "@modelcontextprotocol/sdk/client/index.js";
import { StdioClientTransport } from "@modelcontextprotocol/sdk/client/stdio.js";

const [command, ...args] = process.argv.slice(2);
if (!command) {
  console.error("usage: node client.mjs COMMAND [ARGS...]");
  process.exit(2);
}

let failures = 0;
let passes = 0;
function check(ok, what) {
  if (ok) passes++;
  else failures++;
  console.log(`${ok ? "ok  " : "FAIL"} ${what}`);
}
function documentOf(result) {
  return JSON.parse(result.content[0].text);
}

const transport = new StdioClientTransport({ command, args, stderr: "ignore" });
const client = new Client({ name: "toolkeep-check", version: "1.0.0" });
const started = Date.now();
await client.connect(transport);
check(client.getServerVersion()?.name === "toolkeep", `initialize (${Date.now() - started} ms)`);

const { tools } = await client.listTools();
check(
  tools.map((t) => t.name).join(",") === "list_tools,search_tools,get_tool_info,list_playbooks,get_playbook",
  "tools/list names the five tools",
);

const all = documentOf(await client.callTool({ name: "list_tools", arguments: {} }));
check(Array.isArray(all) && all.length > 0, `list_tools (${all.length} tools)`);
const info = documentOf(await client.callTool({ name: "get_tool_info", arguments: { id: all[0].id } }));
check(info.id === all[0].id, "get_tool_info");
const hits = documentOf(await client.callTool({ name: "search_tools", arguments: { query: "网络不通" } }));
check(Array.isArray(hits) && hits.length <= 10, `search_tools (${hits.length} hits)`);
const playbooks = documentOf(await client.callTool({ name: "list_playbooks", arguments: {} }));
check(Array.isArray(playbooks), `list_playbooks (${playbooks.length} playbooks)`);
if (playbooks.length > 0) {
  const full = documentOf(await client.callTool({ name: "get_playbook", arguments: { id: playbooks[0].id } }));
  check(full.id === playbooks[0].id && Array.isArray(full.steps), "get_playbook");
}
let refused = false;
try {
  await client.callTool({ name: "get_playbook", arguments: { id: "nope" } });
} catch (error) {
  refused = error.code === -32602;
}
check(refused, "get_playbook of an unknown id is refused with -32602");
await client.ping();
check(true, "ping");

await client.close();
console.log(`${passes} passed, ${failures} failed`);
process.exit(failures === 0 ? 0 : 1);
