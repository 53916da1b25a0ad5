-- Neovim's own language client against `scenario-tool lsp`: the embedded
-- scenario, its train description with one misspelt keyword, opened in a
-- buffer; the diagnostic Neovim shows must be the tool's, at the keyword.
--   TOOL=... SCENARIO=folder nvim --headless -u NONE -c "luafile neovim_test.lua"
local folder = os.getenv("SCENARIO")
local train = folder .. "/Valcorvina_IC 318-.txt"

local function finish(failure)
  if failure then
    io.stderr:write("neovim: " .. failure .. "\n")
  else
    io.stdout:write("neovim: passed\n")
  end
  vim.cmd(failure and "cquit!" or "qall!")
end

vim.cmd("edit " .. vim.fn.fnameescape(train))
local buffer = vim.api.nvim_get_current_buf()
local client = vim.lsp.start_client({
  name = "scenario-tool",
  cmd = { os.getenv("TOOL"), "lsp" },
  root_dir = folder,
})
if not client then return finish("the client did not start") end
vim.lsp.buf_attach_client(buffer, client)

local shown = vim.wait(10000, function() return #vim.diagnostic.get(buffer) > 0 end, 50)
if not shown then return finish("no diagnostic within 10 s") end
local d = vim.diagnostic.get(buffer)[1]
local row = vim.fn.search("^segnalle", "n") - 1
local expected = {
  lnum = row, col = 0, end_col = 8, severity = vim.diagnostic.severity.WARN,
  message = "`segnalle` is no keyword of the train description, so the row is ignored; did you mean `segnale`?",
}
for key, value in pairs(expected) do
  if d[key] ~= value then
    return finish(("%s is %s, not %s"):format(key, vim.inspect(d[key]), vim.inspect(value)))
  end
end
vim.lsp.stop_client(client)
finish(nil)
