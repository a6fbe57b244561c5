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

-- Listings give paths the script can open again.
local found = {}
for _, path in ipairs(QorBuildFileList("modules/*.lua", 0, false)) do found[path] = true end
assert(found["modules/counter.lua"] and found["modules/values.lua"])

-- A named file system over a folder, reached by its prefix in any case.
assert(not QorFileExists("<Mods>counter.lua"))
NewFileSystem("<Mods>", "modules")
assert(QorFileExists("<Mods>counter.lua") and QorFileExists("<mods>values.lua"))
RemoveFileSystem("<Mods>")
assert(not QorFileExists("<Mods>counter.lua"))

-- Copies, with and without appending.
local copy = "scratch_copy_" .. tostring(math.random(1, 1e9)) .. ".lua"
assert(QorFileCopy("modules/values.lua", copy) == 0)
assert(QorFileCopy("modules/values.lua", copy, 1) == 0)
assert(QorFileLength(copy) == 2 * QorFileLength("modules/values.lua"))
assert(QorFileMove(copy, copy .. ".moved") == 0 and not QorFileExists(copy))
QorFileDelete(copy .. ".moved")
assert(not QorFileExists(copy .. ".moved"))

-- Digests of a file's bytes: a file this script writes, and one that is empty.
local digested = "digest_" .. tostring(math.random(1, 1e9)) .. ".ini"
local d = CxOptions()
d:Create(digested)
d:SetString("S", "k", "v")
assert(d:Save() == 0)
assert(QorFileCalcMD5(digested) == "0ba2853260d7a8fa574ef93d7c03a914", QorFileCalcMD5(digested))
QorFileDelete(digested)
assert(QorFileCalcMD5("modules/empty.txt") == "d41d8cd98f00b204e9800998ecf8427e")
assert(not pcall(QorFileCalcMD5))
