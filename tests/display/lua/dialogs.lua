-- Dialog boxes from scripts: a modal loop that keeps running frames (events
-- included) until something ends it, nested loops, and script subclasses.
local dialog = CxDialogBox()
assert(dialog:IsType(5) == 1)
dialog:Create(10, 10, 100, 60)
dialog:LinkRoot()
dialog:Paint(10, 10)

frames = 0
local ch = CreateChannel()
DoLuaTimerEvent(30, 10, 'frames = frames + 1', ch)
DoEvent('system.Sleep(60)', CreateChannel())
gDialog = dialog
local other = CreateChannel()
DoEvent('system.Sleep(50)', other)
DoLuaEvent('gDialog:EndModal()', other)
assert(dialog:DoModal() == 0)
assert(frames >= 2, "frames ran during the loop: " .. frames)

-- A subclass that ends itself from its own handler, inside an outer loop.
MyDialog = CxDialogBox:SubClass()
local inner = MyDialog()
inner:Create(0, 0, 20, 20)
inner:LinkRoot()
order = {}
gInner = inner
local c2 = CreateChannel()
DoLuaEvent('table.insert(order, "inner") gInner:DoModal() table.insert(order, "inner done")', c2)
DoEvent('system.Sleep(20)', c2)
DoLuaEvent('table.insert(order, "outer ends") gDialog:EndModal()', c2)
local c3 = CreateChannel()
DoEvent('system.Sleep(20)', c3)
DoLuaEvent('gInner:EndModal()', c3)
dialog:DoModal()
assert(order[1] == "inner" and order[2] == "inner done" and order[3] == "outer ends",
       table.concat(order, ", "))

StartModalDialog("nobody")   -- no dialog of that name: nothing happens
EndModalDialog("nobody")
print("dialogs: ok")
