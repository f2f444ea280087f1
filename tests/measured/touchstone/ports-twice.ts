!> D1,2
!x 9: [Number of Ports] given twice
[Version] 2.0
# GHz S RI R 50
[Number of Ports] 3
[Number of Frequencies] 1
[Reference] 40 60 50
[Mixed-Mode Order] D1,2 C1,2 S3
[Number of Ports] 1
[Network Data]
1 0.5 0
[End]
