-- The host's globals as scripts see them.

-- No direct file or process access; the chosen libraries are there.
assert(io == nil and os == nil)
assert(package.loadlib == nil and package.cpath == "")
for _, name in ipairs({ "coroutine", "table", "string", "math", "debug", "package" }) do
    assert(type(_G[name]) == "table", name .. " is missing")
end

-- qor.app carries the seven application methods; IsQuiting differs in type.
local methods = { "Quit", "Restart", "IsQuiting", "GetBuildDate", "GetAppName", "GetLocalPath", "GetStartupPath" }
for _, name in ipairs(methods) do
    assert(type(qor.app[name]) == "function", "qor.app." .. name)
end
assert(IsQuiting() == false and qor.app.IsQuiting() == 0)
assert(GetAppName() == qor.app.GetAppName() and GetAppName() ~= "")
assert(GetBuildDate() == qor.app.GetBuildDate())
assert(GetLocalPath():sub(-1) == "/")
assert(GetStartupPath():sub(-1) ~= "/")

-- print goes through the global tostring.
local seen = {}
local old = tostring
tostring = function(v) seen[#seen + 1] = v return old(v) end
print("a", 1, nil)
tostring = old
assert(#seen == 2 and seen[1] == "a" and seen[2] == 1)

-- date: one-based month and weekday, a boolean daylight flag.
local d = date()
assert(d.month >= 1 and d.month <= 12 and d.wday >= 1 and d.wday <= 7)
assert(d.yday >= 1 and d.yday <= 366 and d.year >= 2000 and type(d.isdst) == "boolean")

-- The placeholders accept anything and return nothing.
assert(select("#", LogInfo("x", 1)) == 0 and select("#", ValidateObjectList()) == 0)
