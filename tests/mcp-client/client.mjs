// Connects an official MCP client to toolkeep --mcp-stdio and checks what a
// host sees: seven annotated tools with titles and output schemas, structured
// results that the client validates against those schemas for every tool and
// playbook of the shipped packs, isError results for bad arguments, the
// playbooks as prompts, and no reply to notifications.
// Usage: node client.mjs MODE COMMAND [ARGS...]
//   MODE: sdk (TypeScript SDK 1.x), v2-legacy, v2-auto, v2-pin (the v2 client in
//   its default, auto and pinned-2026-07-28 negotiation), inspector-legacy,
//   inspector-auto, inspector-modern (the Inspector CLI in its three protocol
//   eras), raw (notifications).
import { spawn, spawnSync } from "node:child_process";
import { fileURLToPath } from "node:url";
import { createInterface } from "node:readline";

const [mode, command, ...args] = process.argv.slice(2);
if (!mode || !command) {
  console.error("usage: node client.mjs MODE COMMAND [ARGS...]");
  process.exit(2);
}

let failures = 0;
let passes = 0;
function check(ok, what) {
  if (ok) passes++;
  else failures++;
  console.log(`${ok ? "ok  " : "FAIL"} ${mode}: ${what}`);
}
function finish() {
  console.log(`${passes} passed, ${failures} failed`);
  process.exit(failures === 0 ? 0 : 1);
}

const TOOL_NAMES = "list_tools,search_tools,get_tool_info,list_playbooks,search_playbooks,get_playbook,check_step_output";
const READ_ONLY = { readOnlyHint: true, destructiveHint: false, idempotentHint: true, openWorldHint: false };

async function connect() {
  if (mode === "sdk") {
    const { Client } = await import("@modelcontextprotocol/sdk/client/index.js");
    const { StdioClientTransport } = await import("@modelcontextprotocol/sdk/client/stdio.js");
    const client = new Client({ name: "toolkeep-check", version: "1.0.0" });
    await client.connect(new StdioClientTransport({ command, args, stderr: "ignore" }));
    return client;
  }
  const { Client } = await import("@modelcontextprotocol/client");
  const { StdioClientTransport } = await import("@modelcontextprotocol/client/stdio");
  const negotiation = { "v2-legacy": undefined, "v2-auto": { mode: "auto" }, "v2-pin": { mode: { pin: "2026-07-28" } } };
  if (!(mode in negotiation)) throw new Error(`unknown mode ${mode}`);
  const options = negotiation[mode] ? { versionNegotiation: negotiation[mode] } : {};
  const client = new Client({ name: "toolkeep-check", version: "1.0.0" }, options);
  await client.connect(new StdioClientTransport({ command, args, stderr: "ignore" }));
  return client;
}

// Calls a tool; a result the client rejects (schema mismatch) counts as a failure.
async function call(client, name, args) {
  try {
    return await client.callTool({ name, arguments: args });
  } catch (error) {
    return { rejected: `${error.code ?? ""} ${error.message}` };
  }
}
const structured = (result) => (result && !result.isError && !result.rejected ? result.structuredContent : undefined);
const sameAsText = (result) => JSON.stringify(JSON.parse(result.content[0].text)) === JSON.stringify(result.structuredContent);

async function checkClient() {
  const started = Date.now();
  const client = await connect();
  const version = client.getServerVersion?.() ?? client.getServerInfo?.();
  check(version?.name === "toolkeep", `connects (${Date.now() - started} ms)`);
  if (mode.startsWith("v2-")) {
    const expected = mode === "v2-legacy" ? "2025-11-25" : "2026-07-28";
    check(client.getNegotiatedProtocolVersion() === expected, `negotiates ${client.getNegotiatedProtocolVersion()} (${client.getProtocolEra()} era)`);
  }
  const instructions = client.getInstructions?.() ?? client.getServerInstructions?.();
  check(typeof instructions === "string" && instructions.includes("only reads"), "instructions say it only reads");

  const { tools } = await client.listTools();
  check(tools.map((t) => t.name).join(",") === TOOL_NAMES, "tools/list names the seven tools");
  for (const tool of tools) {
    const annotations = tool.annotations ?? {};
    check(
      Object.entries(READ_ONLY).every(([key, value]) => annotations[key] === value) &&
        tool.title && annotations.title === tool.title && tool.outputSchema?.type === "object",
      `${tool.name}: read-only annotations, title and an object output schema`,
    );
  }

  const all = await call(client, "list_tools", {});
  const toolList = structured(all)?.tools ?? [];
  check(toolList.length > 0 && sameAsText(all), `list_tools: ${toolList.length} tools, text item = structured content`);
  let bad = [];
  for (const t of toolList) {
    const info = structured(await call(client, "get_tool_info", { id: t.id }));
    if (info?.id !== t.id) bad.push(t.id);
  }
  check(bad.length === 0, `get_tool_info of every tool validates (${bad.join(" ") || "all"})`);
  for (const query of ["网络不通", "no internet", "disk full", "zzzz-nothing"]) {
    const hits = structured(await call(client, "search_tools", { query }))?.tools;
    check(Array.isArray(hits) && hits.length <= 10, `search_tools "${query}": ${hits?.length} hits`);
  }
  const playbooks = structured(await call(client, "list_playbooks", {}))?.playbooks ?? [];
  check(playbooks.length >= 13, `list_playbooks: ${playbooks.length} playbooks`);
  for (const [query, first] of [["打印机脱机", "print.cannot-print"], ["wifi keeps dropping", "net.wifi-drops"], ["zzzz-nothing", undefined]]) {
    const found = structured(await call(client, "search_playbooks", { query }))?.playbooks;
    check(Array.isArray(found) && found[0]?.id === first, `search_playbooks "${query}": ${found?.map((p) => p.id).join(" ")}`);
  }
  bad = [];
  for (const p of playbooks) {
    const full = structured(await call(client, "get_playbook", { id: p.id }));
    if (full?.id !== p.id || full.steps.length !== p.stepCount) bad.push(p.id);
  }
  check(bad.length === 0, `get_playbook of every playbook validates (${bad.join(" ") || "all"})`);
  const reading = structured(await call(client, "check_step_output", {
    playbook: "net.no-internet", step: "s3", output: "Reply from 127.0.0.1: bytes=32 time<1ms TTL=128\r\n" }));
  check(reading?.outcome === "ok" && reading.branch === "s4" && reading.matched.startsWith("Reply from"),
        `check_step_output reads a loopback ping as ok (${JSON.stringify(reading)})`);

  for (const [name, args, message] of [
    ["search_tools", {}, "missing 'query'"],
    ["search_playbooks", {}, "missing 'query'"],
    ["get_tool_info", { id: "nope" }, "unknown tool id"],
    ["get_playbook", { id: "nope" }, "unknown playbook id"],
    ["check_step_output", { playbook: "net.no-internet", step: "s3" }, "missing 'output'"],
  ]) {
    const result = await call(client, name, args);
    check(result.isError === true && result.content?.[0]?.text === message, `${name} with bad arguments: isError "${message}"`);
  }
  const unknown = await call(client, "no_such_tool", {});
  check(/-32602/.test(unknown.rejected ?? ""), "an unknown tool is a protocol error (-32602)");

  const { prompts } = await client.listPrompts();
  check(prompts.length === playbooks.length && prompts[0].name === playbooks[0].id, `prompts/list: ${prompts.length} playbooks as prompts`);
  const withGateway = prompts.find((p) => p.arguments?.some((a) => a.name === "gateway"));
  if (withGateway) {
    const prompt = await client.getPrompt({ name: withGateway.name, arguments: { gateway: "192.0.2.1" } });
    check(prompt.messages[0].content.text.includes("ping -n 4 192.0.2.1"), `prompts/get ${withGateway.name} fills {gateway}`);
  } else {
    check(false, "a prompt takes the gateway argument");
  }
  // ping is gone from the stateless revision; the raw mode checks the server refuses it there.
  if (client.getProtocolEra?.() !== "modern") {
    await client.ping();
    check(true, "ping");
  }
  await client.close();
}

// Notifications of every kind, then one request: the first line back must be its answer.
async function checkNotifications() {
  const child = spawn(command, args, { stdio: ["pipe", "pipe", "ignore"] });
  const lines = createInterface({ input: child.stdout });
  const first = new Promise((resolve) => lines.once("line", resolve));
  for (const method of ["notifications/initialized", "notifications/cancelled", "initialize", "ping", "tools/list", "tools/call", "server/discover"]) {
    child.stdin.write(JSON.stringify({ jsonrpc: "2.0", method, params: { name: "list_tools" } }) + "\n");
  }
  child.stdin.write('{"jsonrpc":"2.0","id":"last","method":"ping"}\n');
  const reply = JSON.parse(await first);
  check(reply.id === "last", "seven notifications get no reply, the request after them its answer");
  // A client of the first protocol revision gets the answer it always got, byte for byte.
  const second = new Promise((resolve) => lines.once("line", resolve));
  child.stdin.write('{"jsonrpc":"2.0","id":1,"method":"initialize","params":{"protocolVersion":"2024-11-05","capabilities":{},"clientInfo":{"name":"old","version":"1"}}}\n');
  const plain = await second;
  const version = JSON.parse(plain).result?.serverInfo?.version;
  check(plain === `{"jsonrpc":"2.0","id":1,"result":{"protocolVersion":"2024-11-05","capabilities":{"tools":{}},"serverInfo":{"name":"toolkeep","version":"${version}"}}}`,
    "a 2024-11-05 client gets the 2024-11-05 answer, unchanged");
  const meta = (version) => ({ _meta: { "io.modelcontextprotocol/protocolVersion": version, "io.modelcontextprotocol/clientCapabilities": {} } });
  for (const [request, code, what] of [
    [{ method: "ping", params: meta("2026-07-28") }, -32601, "ping under 2026-07-28 is no method (removed there)"],
    [{ method: "tools/list", params: meta("1900-01-01") }, -32022, "an unsupported version in _meta: -32022 with the supported list"],
  ]) {
    const next = new Promise((resolve) => lines.once("line", resolve));
    child.stdin.write(JSON.stringify({ jsonrpc: "2.0", id: 2, ...request }) + "\n");
    const error = JSON.parse(await next).error;
    check(error?.code === code && (code !== -32022 || error.data?.supported?.[0] === "2026-07-28"), what);
  }
  child.stdin.end();
  await new Promise((resolve) => child.on("exit", resolve));
}

// One Inspector CLI run per request: [exit code, the JSON it printed].
function inspector(era, ...request) {
  const cli = fileURLToPath(new URL("node_modules/@modelcontextprotocol/inspector/clients/launcher/build/index.js", import.meta.url));
  const run = spawnSync(process.execPath, [cli, "--cli", command, ...args, "--protocol-era", era, ...request], { encoding: "utf8" });
  try {
    return [run.status, JSON.parse(run.stdout)];
  } catch {
    return [run.status, { unreadable: run.stdout + run.stderr }];
  }
}

function checkInspector() {
  const era = mode.slice("inspector-".length);
  const [, listed] = inspector(era, "--method", "tools/list");
  const tools = listed.tools ?? [];
  check(
    tools.map((t) => t.name).join(",") === TOOL_NAMES &&
      tools.every((t) => t.title && t.outputSchema?.type === "object" &&
        Object.entries(READ_ONLY).every(([key, value]) => t.annotations?.[key] === value)),
    "tools/list: seven read-only annotated tools with titles and output schemas",
  );
  const [, playbooks] = inspector(era, "--method", "tools/call", "--tool-name", "list_playbooks");
  const first = playbooks.structuredContent?.playbooks?.[0];
  check(first !== undefined, `list_playbooks: ${playbooks.structuredContent?.playbooks?.length} playbooks`);
  const [, full] = inspector(era, "--method", "tools/call", "--tool-name", "get_playbook", "--tool-arg", `id=${first?.id}`);
  check(full.structuredContent?.steps?.length === first?.stepCount, `get_playbook ${first?.id}: structured steps`);
  const [status, refused] = inspector(era, "--method", "tools/call", "--tool-name", "get_tool_info", "--tool-arg", "id=nope");
  check(status !== 0 && refused.isError === true && refused.content?.[0]?.text === "unknown tool id", "get_tool_info of an unknown id: isError");
  const [, prompts] = inspector(era, "--method", "prompts/list");
  check(prompts.prompts?.length >= 13, `prompts/list: ${prompts.prompts?.length} prompts`);
  const [, prompt] = inspector(era, "--method", "prompts/get", "--prompt-name", "net.no-internet", "--prompt-args", "gateway=192.0.2.1");
  check(prompt.messages?.[0]?.content?.text?.includes("ping -n 4 192.0.2.1") === true, "prompts/get fills {gateway}");
}

try {
  if (mode === "raw") await checkNotifications();
  else if (mode.startsWith("inspector-")) checkInspector();
  else await checkClient();
} catch (error) {
  check(false, `unexpected: ${error.stack ?? error}`);
}
finish();
