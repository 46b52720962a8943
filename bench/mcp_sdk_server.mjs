// The yardstick for bench/mcp_stdio_bench.py: the same five read-only tools over
// the same shipped packs, served by the official TypeScript SDK (1.x) on stdio.
// Its search is a plain keyword count, lighter than toolkeep's ranking, so the
// comparison favours this server.
// Usage: node bench/mcp_sdk_server.mjs [TOOLS_LIST.json]   (needs tests/mcp-client's node_modules)
import { readFileSync } from "node:fs";
import { dirname, join } from "node:path";
import { fileURLToPath, pathToFileURL } from "node:url";

const root = dirname(dirname(fileURLToPath(import.meta.url)));
const sdk = (path) => import(pathToFileURL(join(root, "tests/mcp-client/node_modules/@modelcontextprotocol/sdk/dist/esm", path)));
const { Server } = await sdk("server/index.js");
const { StdioServerTransport } = await sdk("server/stdio.js");
const { ListToolsRequestSchema, CallToolRequestSchema } = await sdk("types.js");

const pack = (name, key) => JSON.parse(readFileSync(join(root, "resources", name), "utf8"))[key];
const tools = [...pack("builtin-tools.json", "tools"), ...pack("external-tools.json", "tools")];
const playbooks = pack("playbooks.json", "playbooks");

const text = () => ({ type: "string" });
const object = (properties, required) => ({ type: "object", properties, required });
const toolSchema = object({ id: text(), name: text(), category: text(), kind: text(), available: { type: "boolean" } }, ["id", "name"]);
const playbookSchema = object({ id: text(), title: text(), category: text(), stepCount: { type: "integer" } }, ["id", "title"]);
const annotations = { readOnlyHint: true, destructiveHint: false, idempotentHint: true, openWorldHint: false };
const descriptor = (name, argument, outputSchema) => ({
  name,
  title: name,
  description: name,
  inputSchema: argument ? object({ [argument]: text() }, [argument]) : object({}),
  outputSchema,
  annotations: { title: name, ...annotations },
});
const list = (key, item) => object({ [key]: { type: "array", items: item } }, [key]);
const descriptors = [
  descriptor("list_tools", null, list("tools", toolSchema)),
  descriptor("search_tools", "query", list("tools", toolSchema)),
  descriptor("get_tool_info", "id", toolSchema),
  descriptor("list_playbooks", null, list("playbooks", playbookSchema)),
  descriptor("get_playbook", "id", playbookSchema),
];

const toolDocument = (t) => ({ id: t.id, name: t.name, nameEn: t.nameEn, category: t.category, kind: t.source === "external" ? "external" : "builtin",
  available: t.source !== "external", description: t.description, descriptionEn: t.descriptionEn, file: t.fileName });
const summary = (p) => ({ id: p.id, title: p.title, titleEn: p.titleEn, category: p.category, summary: p.summary, tags: p.tags, stepCount: p.steps.length });
const score = (t, words) => words.filter((w) => [t.name, t.nameEn, t.description, t.descriptionEn, ...(t.tags ?? [])].some((f) => f?.toLowerCase().includes(w))).length;
const done = (document) => ({ content: [{ type: "text", text: JSON.stringify(document) }], structuredContent: document });
const problem = (message) => ({ content: [{ type: "text", text: message }], isError: true });

const answers = {
  list_tools: () => done({ tools: tools.map(toolDocument) }),
  search_tools: ({ query }) => {
    if (!query) return problem("missing 'query'");
    const words = query.toLowerCase().split(/\s+/).filter(Boolean);
    const hits = tools.map((t, i) => [score(t, words), i]).filter(([s]) => s > 0).sort((a, b) => b[0] - a[0] || a[1] - b[1]);
    return done({ tools: hits.slice(0, 10).map(([, i]) => toolDocument(tools[i])) });
  },
  get_tool_info: ({ id }) => {
    const tool = tools.find((t) => t.id === id);
    return tool ? done(toolDocument(tool)) : problem("unknown tool id");
  },
  list_playbooks: () => done({ playbooks: playbooks.map(summary) }),
  get_playbook: ({ id }) => {
    const playbook = playbooks.find((p) => p.id === id);
    return playbook ? done({ ...summary(playbook), steps: playbook.steps }) : problem("unknown playbook id");
  },
};

const server = new Server({ name: "sdk-reference", version: "1.0.0" }, { capabilities: { tools: {} } });
// Given a file with toolkeep's own tools/list result, it lists exactly those
// descriptors, so that both servers send the same bytes for tools/list.
const listed = process.argv[2] ? JSON.parse(readFileSync(process.argv[2], "utf8")).tools : descriptors;
server.setRequestHandler(ListToolsRequestSchema, async () => ({ tools: listed }));
server.setRequestHandler(CallToolRequestSchema, async ({ params }) => {
  const answer = answers[params.name];
  if (!answer) throw new Error(`unknown tool: ${params.name}`);
  return answer(params.arguments ?? {});
});
await server.connect(new StdioServerTransport());
