-- Chunks come from text only, through the file systems.

local binary = string.dump(function() return 1 end)
local f, message = loadstring(binary)
assert(f == nil and message:find("precompiled (binary) chunks are refused", 1, true), message)
local pieces, i = { binary:sub(1, 3), binary:sub(4) }, 0
f, message = load(function() i = i + 1 return pieces[i] end)
assert(f == nil and message:find("refused", 1, true))

assert(loadstring("return 1 + 2")() == 3)
assert(loadfile("modules/counter.lua") ~= nil)

-- Modules are found beside the script by package.path and loaded once.
package.path = "modules/?.lua"
local counter = require("counter")
assert(counter.next() == 1 and require("counter").next() == 2)
local ok, err = pcall(require, "no_such_module")
assert(not ok and err:find("no file 'modules/no_such_module.lua'", 1, true), err)

-- dofile returns every result of the file.
local a, b, c = dofile("modules/values.lua")
assert(a == 1 and b == "two" and c == nil and select("#", dofile("modules/values.lua")) == 3)
