!> D3,4
!x 0: has no D3,4 in its [Mixed-Mode Order]; choose %f:D1,2 or %f:C1,2
[Version] 2.0
# GHz S RI R 50
[Number of Ports] 2
[Two-Port Data Order] 12_21
[Number of Frequencies] 1
[Mixed-Mode Order] D1,2 C1,2
[Network Data]
1 0 0 0 0 0 0 0 0
[End]
