-- Events posted from a script run in order on their channel while the runner
-- pumps the main loop; OnScriptEnd checks what they did.
local ch = CreateChannel()
order = {}
DoLuaEvent('table.insert(order, "first")', ch)
DoEvent('system.Sleep(30)', ch)
DoLuaEvent('table.insert(order, "after the sleep")', ch)
DoLuaEvent('table.insert(order, "chained")', ch, true)
DoLuaEvent('table.insert(order, "last")', ch)
assert(not IsChannelEmpty(ch))
assert(IsChannelEmpty(0))

DoEvent('system.WaitForChannel(' .. ch .. ')')
DoLuaEvent('systemSawTheEnd = (#order == 4)')

ticks = 0
DoLuaTimerEvent(60, 20, 'ticks = ticks + 1', CreateChannel())

function OnScriptEnd()
    assert(#order == 4, "events ran: " .. #order)
    assert(order[1] == "first" and order[2] == "after the sleep" and order[4] == "last")
    assert(systemSawTheEnd, "the system channel waited for the other one")
    assert(ticks >= 2 and ticks <= 4, "timed script event ran " .. ticks .. " times")
    print("channels and events: ok")
end
