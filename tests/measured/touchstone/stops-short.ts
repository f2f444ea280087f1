! Without [End], the data stops short of the declared count: refused at its
! last line, as [End] and the count are what show that the data is all there.
!> none
!x 11: the data stops after 2 of the 3 declared frequencies, without [End]
[Version] 2.0
# MHz S RI R 50
[Number of Ports] 1
[Number of Frequencies] 3
[Network Data]
1 0.1 0
2 0.2 0
