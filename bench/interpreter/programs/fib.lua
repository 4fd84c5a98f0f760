-- Recursive calls of a function.
local fib
fib = function(n)
  if n < 2 then return n end
  return fib(n - 1) + fib(n - 2)
end
local best, result = math.huge, nil
for _ = 1, 3 do
  local t0 = os.clock()
  result = fib(30.0)
  best = math.min(best, os.clock() - t0)
end
print(string.format("%.6f %.17g", best, result))
