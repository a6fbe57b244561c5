-- The file script functions, on files this script makes and removes again.

assert(QorFileExists("file_functions.lua") == true and FileExists("file_functions.lua") == true)
assert(QorFileExists("no_such_file.txt") == false)
assert(QorFileIsDirectory("modules") == true and QorFileIsDirectory("file_functions.lua") == false)
assert(QorFileLength("file_functions.lua") > 100)

local name = "scratch_" .. tostring(math.random(1, 1e9)) .. ".ini"
local o = CxOptions()
o:Create(name)
o:SetString("S", "k", "v")
assert(o:Save() == 0)
assert(QorFileExists(name) and QorFileLength(name) == #"[S]\r\nk=v\r\n")

local renamed = name .. ".moved"
assert(QorFileRename(name, renamed) == 0)
assert(not QorFileExists(name) and QorFileExists(renamed))
QorFileDelete(renamed)
assert(not QorFileExists(renamed))

local ok = pcall(QorFileExists, 5)
assert(not ok)
