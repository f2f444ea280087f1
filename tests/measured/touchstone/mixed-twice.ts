!> D1,2
!x 7: [Mixed-Mode Order] names port 1 twice
[Version] 2.0
# GHz S RI R 50
[Number of Ports] 3
[Number of Frequencies] 1
[Mixed-Mode Order] D1,2 C1,2 S1
