! Neither [Network Data] nor [End], the three declared frequencies all there:
! read, with one warning naming both.
!> none
!= 1000000 0.1 0
!= 2000000 0.2 0
!= 3000000 0.3 0
!w %f: no [Network Data] before and no [End] after the 3 declared frequencies; read as complete
[Version] 2.0
# MHz S RI R 50
[Number of Ports] 1
[Number of Frequencies] 3
1 0.1 0
2 0.2 0
3 0.3 0
